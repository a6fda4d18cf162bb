#pragma once

#include "editor/YControl.h"

#include <array>
#include <cstdint>
#include <vector>

class YYorvaneAudioEffectPlugin;
class YButton;
class YKnob;
class YLabel;
class YListBox;
class YMenu;
class YPanel;
class YXYPad;

// The editor's programs page: the eight programs A-H with A/B, copy and paste; the
// ABCD morph pad and the program at each of its corners; random settings; the active
// presets, each played through its named macros.
//
// User-interface thread only, like the editor that owns it. Every change goes through
// the engine's own calls, which take the locks they need. The page re-reads the engine
// whenever the editor syncs its controls, so a program changed elsewhere (a host, a
// loaded state) shows at the editor's next update.
class ProgramsPage : public YControl {
public:
    explicit ProgramsPage(YYorvaneAudioEffectPlugin& plugin);

    // The copied program: shared by the editors of every instance in the process, so
    // that settings go from one instance to another; empty until the first copy.
    static YString& Clipboard();

    // Re-reads the active-preset list file (the editor calls it when the page is shown).
    void ReadActivePresets();

    YButton& ProgramButton(int32_t program) const { return *programs_[static_cast<std::size_t>(program)]; }
    YButton& ABButton() const { return *ab_; }
    YButton& CopyButton() const { return *copy_; }
    YButton& PasteButton() const { return *paste_; }
    YLabel& ProgramNote() const { return *programNote_; }
    YXYPad& Pad() const { return *pad_; }
    // The corner menus in the order of the engine's corners: (0, 0), (0, 1), (1, 0), (1, 1).
    YKnob& AmountKnob() const { return *amount_; }
    YButton& RandomButton() const { return *random_; }
    YButton& RandomMacrosButton() const { return *randomMacros_; }
    YButton& SmartRandomButton() const { return *smartRandom_; }
    YLabel& RandomStatus() const { return *randomStatus_; }
    YListBox& ActivePresetList() const { return *activeList_; }
    YLabel& ActivePresetTitle() const { return *activeTitle_; }
    // The knobs of the active preset's macros as the panel shows them now.
    std::vector<YKnob*> ShownMacroKnobs() const;

protected:
    void Layout() override;
    void Sync() override;

private:
    void BuildPrograms();
    void BuildMorph();
    void BuildRandom();
    void BuildActivePresets();
    // The pad's press: asks the morph's question when the engine has one.
    void BeginMorph();
    void Morph(double x, double y);
    void ChooseActivePreset(int32_t item);
    void SyncActivePresets();
    void LayoutMacros();

    YYorvaneAudioEffectPlugin& plugin_;
    YPanel* programPanel_ = nullptr;
    YPanel* randomPanel_ = nullptr;
    YPanel* morphPanel_ = nullptr;
    YPanel* activePanel_ = nullptr;

    std::array<YButton*, 8> programs_{};
    YButton* ab_ = nullptr;
    YButton* copy_ = nullptr;
    YButton* paste_ = nullptr;
    YLabel* programNote_ = nullptr;

    YXYPad* pad_ = nullptr;
    bool asking_ = false;           // the morph's question is open; the pad waits for it
    double askedX_ = 0.5, askedY_ = 0.5;  // where the press that asked it went
    int32_t declinedProgram_ = -1;  // the source program the user chose to morph into anyway

    double randomAmount_ = 0.25;
    YKnob* amount_ = nullptr;
    YButton* random_ = nullptr;
    YButton* randomMacros_ = nullptr;
    YButton* smartRandom_ = nullptr;
    YLabel* randomStatus_ = nullptr;
    YString smartResult_;  // what the last smart random said

    YListBox* activeList_ = nullptr;
    YLabel* activeTitle_ = nullptr;
    YLabel* activeNote_ = nullptr;
    std::vector<YString> activeNames_;
    YString activeMessage_;  // what the last choice in the list said
    std::array<YKnob*, 4> macroKnobs_{};
    std::array<YLabel*, 4> groupLabels_{};
    std::vector<int32_t> shownMacros_;  // macro numbers, grouped, in the panel's order
    std::vector<YString> shownGroups_;  // the group of each
};
