#pragma once

#include "editor/YColor.h"
#include "editor/YFont.h"

// The look of the editor in one table: colours, sizes (logical pixels) and type. The
// controls take every colour and measure from here, so a new look is a new table.
struct YStyle {
    struct Colors {
        YColor window;          // behind everything
        YColor header;          // the top bar
        YColor headerBottom;    // its gradient's lower end
        YColor panel;           // panel body, top of its gradient
        YColor panelBottom;
        YColor panelBorder;
        YColor well;            // sunken areas: displays, tracks, entry fields
        YColor wellBorder;
        YColor grid;            // lines inside displays
        YColor text;            // values and normal text
        YColor textDim;         // names and captions
        YColor textBright;      // emphasis, the help line's parameter name
        YColor heading;         // panel titles
        YColor accent;          // the active part of a control
        YColor accentBright;
        YColor accentDim;
        YColor lfo;             // the LFO curve
        YColor lfoFill;
        YColor sweep;           // the sweep range
        YColor control;         // knob bodies, buttons
        YColor controlTop;
        YColor controlHover;
        YColor controlBorder;
        YColor pointer;         // knob pointer line
        YColor selection;       // list selection, selected point
        YColor meterLow;
        YColor meterMid;
        YColor meterHigh;
        YColor warning;         // bypass on
        YColor shade;           // behind a modal question
    };
    struct Sizes {
        float headerHeight;
        float tabsHeight;       // the row of page tabs under the header
        float helpHeight;
        float padding;          // inside panels
        float gap;              // between panels and controls
        float radius;           // panel corners
        float controlRadius;    // buttons, menus, fields
        float panelTitle;       // height of a panel's title strip
        float knob;             // knob diameter, large
        float smallKnob;
        float knobTrack;        // width of the knob's arc
        float labelHeight;      // a line of caption or value text
        float rowHeight;        // lists, menus, buttons
        float switchWidth;
        float pointRadius;      // curve points
        float touchPointRadius; // curve points in tablet mode
        float line;             // normal line width
        float curveLine;        // the LFO curve's line width
    };
    struct Type {
        YFontStyle title;
        YFontStyle heading;
        YFontStyle label;
        YFontStyle value;
        YFontStyle small;
        YFontStyle help;
        YFontStyle tab;
    };

    Colors colors;
    Sizes sizes;
    Type type;

    // The product's look: dark, violet and teal.
    static const YStyle& Dark();
};
