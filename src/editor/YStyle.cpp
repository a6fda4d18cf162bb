#include "editor/YStyle.h"

const YStyle& YStyle::Dark() {
    static const YStyle style{
        {
            YColor::Hex(0x121419),  // window
            YColor::Hex(0x20232b),  // header
            YColor::Hex(0x181a20),  // headerBottom
            YColor::Hex(0x1f2229),  // panel
            YColor::Hex(0x1a1c22),  // panelBottom
            YColor::Hex(0x2c303a),  // panelBorder
            YColor::Hex(0x111317),  // well
            YColor::Hex(0x272a33),  // wellBorder
            YColor::Hex(0x23262e),  // grid
            YColor::Hex(0xdfe3ea),  // text
            YColor::Hex(0x8b92a1),  // textDim
            YColor::Hex(0xffffff),  // textBright
            YColor::Hex(0xa8afbd),  // heading
            YColor::Hex(0x9b7cff),  // accent
            YColor::Hex(0xc3b0ff),  // accentBright
            YColor::Hex(0x4b3d80),  // accentDim
            YColor::Hex(0x35d6c6),  // lfo
            YColor::Hex(0x35d6c6, 46),  // lfoFill
            YColor::Hex(0x9b7cff, 70),  // sweep
            YColor::Hex(0x2c3039),  // control
            YColor::Hex(0x3a3f4b),  // controlTop
            YColor::Hex(0x434957),  // controlHover
            YColor::Hex(0x4a5060),  // controlBorder
            YColor::Hex(0xf2f4f8),  // pointer
            YColor::Hex(0x9b7cff, 90),  // selection
            YColor::Hex(0x3ddc84),  // meterLow
            YColor::Hex(0xf5c542),  // meterMid
            YColor::Hex(0xff5a5f),  // meterHigh
            YColor::Hex(0xff8a3d),  // warning
            YColor::Hex(0x000000, 150),  // shade
        },
        {
            50.0f,  // headerHeight
            32.0f,  // tabsHeight
            30.0f,  // helpHeight
            12.0f,  // padding
            10.0f,  // gap
            8.0f,   // radius
            5.0f,   // controlRadius
            26.0f,  // panelTitle
            54.0f,  // knob
            40.0f,  // smallKnob
            4.0f,   // knobTrack
            15.0f,  // labelHeight
            24.0f,  // rowHeight
            30.0f,  // switchWidth
            4.5f,   // pointRadius
            9.0f,   // touchPointRadius
            1.0f,   // line
            2.0f,   // curveLine
        },
        {
            {YFontFace::Bold, 19.0f},     // title
            {YFontFace::Bold, 10.5f},     // heading
            {YFontFace::Regular, 11.0f},  // label
            {YFontFace::Regular, 11.5f},  // value
            {YFontFace::Regular, 9.5f},   // small
            {YFontFace::Regular, 11.5f},  // help
            {YFontFace::Bold, 12.0f},     // tab
        },
    };
    return style;
}
