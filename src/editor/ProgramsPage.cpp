#include "editor/ProgramsPage.h"

#include "editor/YButton.h"
#include "editor/YKnob.h"
#include "editor/YLabel.h"
#include "editor/YListBox.h"
#include "editor/YMenu.h"
#include "editor/YPanel.h"
#include "editor/YParameterValue.h"
#include "editor/YWindow.h"
#include "editor/YXYPad.h"
#include "engine/YYorvaneAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "foundation/YFile.h"
#include "foundation/YFormat.h"
#include "shell/YConfiguration.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTopHeight = 144.0f;       // the programs and random panels
constexpr float kProgramsWidth = 420.0f;
constexpr float kProgramButton = 40.0f;
constexpr float kKnobWidth = 88.0f;
constexpr float kKnobHeight = 100.0f;
constexpr float kListWidth = 200.0f;
const YString kAmountKey = "RandomAmount";  // in per cent, in the product's configuration file
const YString kRandomizer = "Randomizer";

YString Letter(int32_t program) {
    const char16_t letter = static_cast<char16_t>(u'A' + program);
    return YString(&letter, 1);
}

// The last part of a path.
YString Quoted(const YString& text) { return YString::FromUtf8("\u201c") + text + YString::FromUtf8("\u201d"); }

}  // namespace

YString& ProgramsPage::Clipboard() {
    static YString text;
    return text;
}

ProgramsPage::ProgramsPage(YYorvaneAudioEffectPlugin& plugin) : plugin_(plugin) {
    BuildPrograms();
    BuildRandom();
    BuildMorph();
    BuildActivePresets();
    ReadActivePresets();
}

// ---- Programs --------------------------------------------------------------------------------------

void ProgramsPage::BuildPrograms() {
    programPanel_ = &Add<YPanel>(YString("PROGRAMS"));
    for (int32_t p = 0; p < static_cast<int32_t>(programs_.size()); ++p) {
        YButton& button = Add<YButton>(Letter(p));
        button.lit = [this, p] { return plugin_.CurrentProgram() == p; };
        button.onClick = [this, p] {
            plugin_.SelectProgram(p);
            SyncTree();
        };
        button.help = YFormat("<name>Program {0}</name>: click to play it. What you change stays in the program you "
                              "change it in.").Arg(Letter(p));
        programs_[static_cast<std::size_t>(p)] = &button;
    }
    ab_ = &Add<YButton>(YString("A/B"));
    ab_->help = "<name>A/B</name> switches between this program and the one you played before it.";
    ab_->onClick = [this] {
        plugin_.SelectPreviousProgram();
        SyncTree();
    };
    copy_ = &Add<YButton>(YString("Copy"));
    copy_->help = "<name>Copy</name> the settings of this program (not the oversampling), to paste them into another "
                  "program or instance.";
    copy_->onClick = [this] {
        YGuarded("ProgramsPage::Copy", [&] { Clipboard() = plugin_.CopyProgramSettings(); });
        SyncTree();
    };
    paste_ = &Add<YButton>(YString("Paste"));
    paste_->help = "<name>Paste</name> the copied settings into this program.";
    paste_->onClick = [this] {
        YGuarded("ProgramsPage::Paste", [&] { plugin_.PasteProgramSettings(Clipboard()); });
        SyncTree();
    };
    programNote_ = &Add<YLabel>(YString(), YLabel::Role::Dim);
}

// ---- Random settings -----------------------------------------------------------------------------

void ProgramsPage::BuildRandom() {
    randomPanel_ = &Add<YPanel>(YString("RANDOM"));
    randomAmount_ =
        std::clamp(YConfiguration::ReadInteger(YConfiguration::File::Global, kAmountKey, 25), 0, 100) / 100.0;
    auto amount = std::make_unique<YFunctionValue>();
    amount->maximum = 1.0;
    amount->defaultValue = 0.25;
    amount->steps = 100;
    amount->read = [this] { return randomAmount_; };
    amount->write = [this](double value) { randomAmount_ = value; };
    amount->format = [](double value) { return YFormat("{0}%").Arg(static_cast<int32_t>(std::lround(value * 100.0))); };
    // Remembered for every editor once a change ends, not at every step of a drag.
    amount->gesture = [this](bool begins) {
        if (!begins)
            YGuarded("ProgramsPage::Amount", [&] {
                YConfiguration::WriteInteger(YConfiguration::File::Global, kAmountKey,
                                             static_cast<int32_t>(std::lround(randomAmount_ * 100.0)));
            });
    };
    amount_ = &Add<YKnob>(std::move(amount), YString("Amount"));
    amount_->help = "<name>Amount</name>: how far Random moves each setting, as a share of its range; at 100% anywhere "
                    "in it.";

    random_ = &Add<YButton>(YString("Random"));
    random_->help = "<name>Random</name> moves every setting by up to the amount (the macros keep theirs).";
    random_->onClick = [this] {
        plugin_.GenerateRandomSettings(randomAmount_);
        smartResult_ = YString();
        SyncTree();
    };
    randomMacros_ = &Add<YButton>(YString("Random macros"));
    randomMacros_->help = "<name>Random macros</name> moves each macro that is on by up to the amount, and with it what "
                          "the macro drives.";
    randomMacros_->onClick = [this] {
        plugin_.GenerateRandomSettingsForMultiParameters(randomAmount_);
        smartResult_ = YString();
        SyncTree();
    };
    smartRandom_ = &Add<YButton>(YString("Smart random"));
    smartRandom_->help = "<name>Smart random</name> draws a setting from your presets in the top-level folders "
                         "\"Randomizer\" and \"Randomizer Multi\".";
    smartRandom_->onClick = [this] {
        smartResult_ = plugin_.GenerateRandomSettingsSmart() > 0
                           ? YString("Drawn from your ") + Quoted(kRandomizer) + YString(" presets.")
                           : YString("The ") + Quoted(kRandomizer) + YString(" folder holds no presets.");
        SyncTree();
    };
    randomStatus_ = &Add<YLabel>(YString(), YLabel::Role::Dim);
}

// ---- ABCD morph ----------------------------------------------------------------------------------

void ProgramsPage::BuildMorph() {
    morphPanel_ = &Add<YPanel>(YString("ABCD MORPH"));
    pad_ = &Add<YXYPad>();
    pad_->help = "<name>ABCD morph</name>: drag to blend the programs at the four corners; a double click returns to "
                 "the middle.";
    pad_->onGesture = [this](bool begins) {
        if (begins) BeginMorph();
    };
    pad_->onChange = [this](double x, double y) { Morph(x, y); };
    // Lower left, lower right, upper left, upper right: A at (0, 0), C at (1, 0), B at (0, 1), D at (1, 1).
    pad_->corners = {Letter(0), Letter(2), Letter(1), Letter(3)};
}

void ProgramsPage::BeginMorph() {
    asking_ = false;
    // Once the user chose to morph into a source program, it stays their choice while
    // that program plays.
    if (plugin_.CurrentProgram() == declinedProgram_) return;
    YString question;
    if (!plugin_.OnPresetMorph([&question](const YString& text) {
            question = text;
            return false;
        }))
        return;
    const auto selectE = [](const YString&) { return true; };
    if (YAudioPlugin::GetConfirmationEnabled() == 0 || Window() == nullptr) {
        plugin_.OnPresetMorph(selectE);  // the answer the question offers first: keep the sources
        return;
    }
    asking_ = true;
    askedX_ = pad_->X();
    askedY_ = pad_->Y();
    const int32_t program = plugin_.CurrentProgram();
    Window()->Ask(question, {"No", "Yes"}, [this, program, selectE](int32_t answer) {
        asking_ = false;
        if (answer == 1) {
            plugin_.OnPresetMorph(selectE);
            Morph(askedX_, askedY_);
        } else {
            declinedProgram_ = program;
        }
        SyncTree();
    });
}

void ProgramsPage::Morph(double x, double y) {
    // While the question is open the press only marks where the morph would go.
    if (asking_) {
        askedX_ = x;
        askedY_ = y;
        return;
    }
    plugin_.MorphPrograms(x, y);
}

// ---- Active presets ------------------------------------------------------------------------------

void ProgramsPage::BuildActivePresets() {
    activePanel_ = &Add<YPanel>(YString("ACTIVE PRESETS"));
    activeList_ = &Add<YListBox>();
    activeList_->help = "<name>Active presets</name>: a click plays one through its macros; <name>Edit</name> returns "
                        "to the full editor.";
    activeList_->onSelect = [this](int32_t item) { ChooseActivePreset(item); };
    activeTitle_ = &Add<YLabel>(YString(), YLabel::Role::Bright);
    activeNote_ = &Add<YLabel>(YString(), YLabel::Role::Dim);
    for (int32_t number = 0; number < 4; ++number) {
        groupLabels_[static_cast<std::size_t>(number)] = &Add<YLabel>(YString(), YLabel::Role::Heading);
        YKnob& knob = Add<YKnob>(std::make_unique<YParameterValue>(plugin_, plugin_.MultiParameterIndex(number)),
                                 plugin_.MultiParameter(number).name);
        knob.SetVisible(false);
        macroKnobs_[static_cast<std::size_t>(number)] = &knob;
    }
}

void ProgramsPage::ReadActivePresets() {
    std::vector<YString> names = plugin_.ActivePresetNames();
    if (names == activeNames_ && !activeList_->Items().empty()) return;
    activeNames_ = std::move(names);
    std::vector<YString> items{YString("Edit")};
    items.insert(items.end(), activeNames_.begin(), activeNames_.end());
    activeList_->SetItems(std::move(items));
}

void ProgramsPage::ChooseActivePreset(int32_t item) {
    activeMessage_ = YString();
    if (item == 0) {
        plugin_.SetActivePresetEdit(true);
    } else if (!plugin_.LoadActivePreset(item - 1)) {
        activeMessage_ = Quoted(activeNames_[static_cast<std::size_t>(item - 1)]) + YString(" is not among your presets.");
    }
    SyncTree();
}

std::vector<YKnob*> ProgramsPage::ShownMacroKnobs() const {
    std::vector<YKnob*> shown;
    for (int32_t number : shownMacros_) shown.push_back(macroKnobs_[static_cast<std::size_t>(number)]);
    return shown;
}

void ProgramsPage::SyncActivePresets() {
    const bool edit = plugin_.ActivePresetEdit();
    const int32_t current = plugin_.CurrentActivePreset();
    activeList_->SetSelected(edit ? 0 : current + 1);
    if (edit) {
        activeTitle_->SetText(YString("Edit mode"));
    } else {
        activeTitle_->SetText(current >= 0 && current < static_cast<int32_t>(activeNames_.size())
                                  ? activeNames_[static_cast<std::size_t>(current)]
                                  : YString("Active preset"));
    }

    // The named macros, those of one group side by side, the groups in the order of
    // their first macro.
    std::vector<int32_t> macros;
    std::vector<YString> groups;
    for (int32_t number : plugin_.ActivePresetControls()) {
        const YString& group = plugin_.MultiParameter(number).group;
        if (std::find(groups.begin(), groups.end(), group) != groups.end()) continue;
        for (int32_t other : plugin_.ActivePresetControls()) {
            if (plugin_.MultiParameter(other).group != group) continue;
            macros.push_back(other);
            groups.push_back(group);
        }
    }
    if (macros != shownMacros_ || groups != shownGroups_) {
        shownMacros_ = std::move(macros);
        shownGroups_ = std::move(groups);
        LayoutMacros();
    }
    for (int32_t number : shownMacros_) {
        const YMultiParameter& macro = plugin_.MultiParameter(number);
        YKnob& knob = *macroKnobs_[static_cast<std::size_t>(number)];
        knob.SetName(macro.name);
        knob.help = YString("<name>") + macro.name + YString("</name>: ") +
                    (macro.info.IsEmpty() ? YString("a macro of the active preset.") : macro.info);
    }

    YString note = activeMessage_;
    if (note.IsEmpty() && edit) {
        note = activeNames_.empty()
                   ? YString("No active presets: list them in ") + Quoted(YFile::NameOf(plugin_.ActivePresetListPath())) + YString(".")
                   : YString("Choose an active preset to play it through its macros.");
    } else if (note.IsEmpty() && shownMacros_.empty()) {
        note = YString("This preset has no named macros to play.");
    }
    activeNote_->SetText(note);
}

// ---- Sync and layout -----------------------------------------------------------------------------

void ProgramsPage::Sync() {
    const int32_t current = plugin_.CurrentProgram(), previous = plugin_.PreviousProgram();
    if (current != declinedProgram_) declinedProgram_ = -1;
    programNote_->SetText(previous == current
                              ? YFormat("Program {0} plays.").Arg(Letter(current))
                              : YFormat("Program {0} plays; A/B returns to {1}.").Arg(Letter(current)).Arg(Letter(previous)));
    paste_->SetEnabled(!Clipboard().IsEmpty());

    if (!asking_) pad_->SetPosition(plugin_.MorphX(), plugin_.MorphY());

    const bool randomizer = plugin_.Presets().FindFolder(kRandomizer) != nullptr;
    smartRandom_->SetEnabled(randomizer);
    randomStatus_->SetText(randomizer ? smartResult_
                                      : YString("Smart random needs a preset folder ") + Quoted(kRandomizer) + YString("."));

    SyncActivePresets();
}

void ProgramsPage::Layout() {
    const YStyle& style = Style();
    YRect rest = Bounds();
    YRect top = rest.TakeTop(kTopHeight, style.sizes.gap);
    programPanel_->SetBounds(top.TakeLeft(kProgramsWidth, style.sizes.gap));
    randomPanel_->SetBounds(top);

    YRect programs = programPanel_->Content();
    YRect letters = programs.TakeTop(30.0f, 12.0f);
    const float step = (letters.width - kProgramButton) / static_cast<float>(programs_.size() - 1);
    for (std::size_t p = 0; p < programs_.size(); ++p)
        programs_[p]->SetBounds({letters.x + step * static_cast<float>(p), letters.y, kProgramButton, letters.height});
    YRect actions = programs.TakeTop(style.sizes.rowHeight, 10.0f);
    ab_->SetBounds(actions.TakeLeft(64.0f, 8.0f));
    copy_->SetBounds(actions.TakeLeft(72.0f, 8.0f));
    paste_->SetBounds(actions.TakeLeft(72.0f, 8.0f));
    programNote_->SetBounds(programs.TakeTop(style.sizes.labelHeight));

    YRect random = randomPanel_->Content();
    amount_->SetBounds(random.TakeLeft(kKnobWidth, 16.0f).TakeTop(kKnobHeight));
    YRect buttons = random.TakeTop(style.sizes.rowHeight, 14.0f);
    const float buttonWidth = std::min(120.0f, (buttons.width - 16.0f) / 3.0f);
    random_->SetBounds(buttons.TakeLeft(buttonWidth, 8.0f));
    randomMacros_->SetBounds(buttons.TakeLeft(buttonWidth, 8.0f));
    smartRandom_->SetBounds(buttons.TakeLeft(buttonWidth, 8.0f));
    randomStatus_->SetBounds(random.TakeTop(style.sizes.labelHeight));

    // The pad is square, as large as the height allows.
    const float padding = style.sizes.padding;
    const float side = std::clamp(rest.height - style.sizes.panelTitle - 1.5f * padding, 160.0f, 380.0f);
    morphPanel_->SetBounds(rest.TakeLeft(side + 2.0f * padding, style.sizes.gap));
    YRect morph = morphPanel_->Content();
    pad_->SetBounds(morph.TakeTop(std::min(side, morph.width)));

    activePanel_->SetBounds(rest);
    YRect active = activePanel_->Content();
    activeList_->SetBounds(active.TakeLeft(kListWidth, 2.0f * style.sizes.gap));
    activeTitle_->SetBounds(active.TakeTop(style.sizes.labelHeight + 4.0f, 4.0f));
    activeNote_->SetBounds(active.TakeTop(style.sizes.labelHeight, 14.0f));
    LayoutMacros();
}

void ProgramsPage::LayoutMacros() {
    const YStyle& style = Style();
    const YRect area{activeNote_->Bounds().x, activeNote_->Bounds().Bottom() + 14.0f, activeNote_->Bounds().width,
                     style.sizes.labelHeight + 4.0f + kKnobHeight};
    const float groupGap = 20.0f, knobGap = 8.0f;
    std::size_t groupCount = 0;
    for (std::size_t i = 0; i < shownGroups_.size(); ++i) groupCount += i == 0 || shownGroups_[i] != shownGroups_[i - 1];
    const float spare = area.width - groupGap * static_cast<float>(groupCount > 0 ? groupCount - 1 : 0) -
                        knobGap * static_cast<float>(shownMacros_.size() - groupCount);
    const float width = shownMacros_.empty() ? kKnobWidth : std::min(kKnobWidth, spare / static_cast<float>(shownMacros_.size()));

    for (std::size_t number = 0; number < macroKnobs_.size(); ++number) {
        macroKnobs_[number]->SetVisible(false);
        groupLabels_[number]->SetVisible(false);
    }
    float x = area.x;
    for (std::size_t i = 0; i < shownMacros_.size(); ++i) {
        const bool opens = i == 0 || shownGroups_[i] != shownGroups_[i - 1];
        if (opens) {
            if (i > 0) x += groupGap - knobGap;
            // The group's name over its knobs.
            std::size_t members = 1;
            while (i + members < shownGroups_.size() && shownGroups_[i + members] == shownGroups_[i]) ++members;
            YLabel& label = *groupLabels_[i];
            label.SetText(shownGroups_[i]);
            label.SetBounds({x, area.y, width * static_cast<float>(members) + knobGap * static_cast<float>(members - 1),
                             style.sizes.labelHeight});
            label.SetVisible(!shownGroups_[i].IsEmpty());
        }
        YKnob& knob = *macroKnobs_[static_cast<std::size_t>(shownMacros_[i])];
        knob.SetBounds({x, area.y + style.sizes.labelHeight + 4.0f, width, kKnobHeight});
        knob.SetVisible(true);
        x += width + knobGap;
    }
}
