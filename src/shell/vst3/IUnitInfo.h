#pragma once

// IUnitInfo: how a VST 3 plug-in groups its parameters into units (a tree) and
// offers program lists. A plug-in without units answers one root unit and no
// program lists. Queried from the edit controller. UI thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

class IBStream;

constexpr UnitID kRootUnitId = 0;              // the top unit every plug-in has
constexpr UnitID kNoParentUnitId = -1;         // UnitInfo::parentUnitId of the root
constexpr ProgramListID kNoProgramListId = -1;  // UnitInfo::programListId: no programs

struct UnitInfo {
    UnitID id;                    // unit identifier (kRootUnitId for the root)
    UnitID parentUnitId;          // parent's id, kNoParentUnitId for the root
    String128 name;               // name; may be empty for the root
    ProgramListID programListId;  // its program list, or kNoProgramListId
};

struct ProgramListInfo {
    ProgramListID id;      // program list identifier
    String128 name;        // name of the list
    int32_t programCount;  // number of programs in it
};

class IUnitInfo : public FUnknown {
public:
    // Units: count and description of index 0 .. count-1.
    virtual int32_t SMTG_STDMETHODCALLTYPE getUnitCount() = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE getUnitInfo(int32_t unitIndex, UnitInfo& info) = 0;

    // Program lists: count and description of index 0 .. count-1.
    virtual int32_t SMTG_STDMETHODCALLTYPE getProgramListCount() = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE getProgramListInfo(int32_t listIndex,
                                                              ProgramListInfo& info) = 0;
    // Name of a program of a list.
    virtual tresult SMTG_STDMETHODCALLTYPE getProgramName(ProgramListID listId,
                                                          int32_t programIndex,
                                                          String128 name) = 0;
    // A named attribute of a program (attributeId is an 8-bit key).
    virtual tresult SMTG_STDMETHODCALLTYPE getProgramInfo(ProgramListID listId,
                                                          int32_t programIndex,
                                                          const char* attributeId,
                                                          String128 attributeValue) = 0;
    // kResultTrue when the program names its pitches (drum kits).
    virtual tresult SMTG_STDMETHODCALLTYPE hasProgramPitchNames(ProgramListID listId,
                                                                int32_t programIndex) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE getProgramPitchName(ProgramListID listId,
                                                               int32_t programIndex,
                                                               int16_t midiPitch,
                                                               String128 name) = 0;

    // The unit the editor currently shows, and the host selecting one.
    virtual UnitID SMTG_STDMETHODCALLTYPE getSelectedUnit() = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE selectUnit(UnitID unitId) = 0;

    // The unit a bus channel belongs to; kResultFalse when not applicable.
    virtual tresult SMTG_STDMETHODCALLTYPE getUnitByBus(MediaType type, BusDirection dir,
                                                        int32_t busIndex, int32_t channel,
                                                        UnitID& unitId) = 0;
    // Loads program data (a preset) into a unit or a program list entry.
    virtual tresult SMTG_STDMETHODCALLTYPE setUnitProgramData(int32_t listOrUnitId,
                                                              int32_t programIndex,
                                                              IBStream* data) = 0;

    static constexpr Uid iid = MakeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);

protected:
    ~IUnitInfo() = default;
};

}  // namespace Vst3
