// A VST 3 host calls our objects through virtual table slots by number, so each
// interface must have exactly the published methods in the published order, after
// its base's, and no destructor slot. The slot of a declared method is what the
// compiler assigns (GCC encodes it in a pointer to virtual member: 1 + byte offset,
// on Linux and with mingw alike); the lists below are the published orders.

#include "shell/vst3/IAttributeList.h"
#include "shell/vst3/IAudioProcessor.h"
#include "shell/vst3/IBStream.h"
#include "shell/vst3/IComponent.h"
#include "shell/vst3/IComponentHandler.h"
#include "shell/vst3/IConnectionPoint.h"
#include "shell/vst3/IEditController.h"
#include "shell/vst3/IEventList.h"
#include "shell/vst3/IHostApplication.h"
#include "shell/vst3/IMidiMapping.h"
#include "shell/vst3/IParameterChanges.h"
#include "shell/vst3/IPlugView.h"
#include "shell/vst3/IPluginFactory.h"
#include "shell/vst3/IUnitInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {

using namespace Vst3;

template <typename... I>
constexpr bool kNoVirtualDestructor = (!std::has_virtual_destructor_v<I> && ...);
static_assert(kNoVirtualDestructor<FUnknown, IPluginBase, IPluginFactory, IPluginFactory2, IPluginFactory3, IBStream,
                                   IComponent, IAudioProcessor, IParamValueQueue, IParameterChanges, IEventList,
                                   IComponentHandler, IEditController, IEditController2, IMidiMapping, IUnitInfo,
                                   IPlugView, IPlugFrame, IEventHandler, ITimerHandler, IRunLoop, IHostApplication, IAttributeList, IMessage, IConnectionPoint>);

// The slot number of a virtual method, or -1 for a method that is not virtual.
template <typename Method>
long Slot(Method method) {
    static_assert(sizeof(Method) == 2 * sizeof(std::uintptr_t));
    std::uintptr_t words[2];
    std::memcpy(words, &method, sizeof words);
    if ((words[0] & 1) == 0) return -1;
    return static_cast<long>((words[0] - 1) / sizeof(void*));
}

// Checks that the methods occupy consecutive slots starting at first; a failure names the list's line.
template <typename... Methods>
void ExpectSlotsAt(int line, long first, Methods... methods) {
    const long slots[] = {Slot(methods)...};
    for (long i = 0; i < static_cast<long>(sizeof...(Methods)); ++i)
        EXPECT_EQ(slots[i], first + i) << "method #" << i << " of the list at line " << line;
}
#define ExpectSlots(...) ExpectSlotsAt(__LINE__, __VA_ARGS__)

// Every interface starts with FUnknown's three slots; IPluginBase adds two.
constexpr long kAfterUnknown = 3, kAfterBase = 5;

TEST(Vst3Vtable, MethodsSitInThePublishedSlots) {
    ExpectSlots(0, &FUnknown::queryInterface, &FUnknown::addRef, &FUnknown::release);
    ExpectSlots(kAfterUnknown, &IPluginBase::initialize, &IPluginBase::terminate);
    ExpectSlots(kAfterUnknown, &IPluginFactory::getFactoryInfo, &IPluginFactory::countClasses, &IPluginFactory::getClassInfo,
                &IPluginFactory::createInstance, &IPluginFactory2::getClassInfo2, &IPluginFactory3::getClassInfoUnicode,
                &IPluginFactory3::setHostContext);
    ExpectSlots(kAfterBase, &IComponent::getControllerClassId, &IComponent::setIoMode, &IComponent::getBusCount,
                &IComponent::getBusInfo, &IComponent::getRoutingInfo, &IComponent::activateBus, &IComponent::setActive,
                &IComponent::setState, &IComponent::getState);
    ExpectSlots(kAfterUnknown, &IAudioProcessor::setBusArrangements, &IAudioProcessor::getBusArrangement,
                &IAudioProcessor::canProcessSampleSize, &IAudioProcessor::getLatencySamples,
                &IAudioProcessor::setupProcessing, &IAudioProcessor::setProcessing, &IAudioProcessor::process,
                &IAudioProcessor::getTailSamples);
    ExpectSlots(kAfterUnknown, &IParamValueQueue::getParameterId, &IParamValueQueue::getPointCount,
                &IParamValueQueue::getPoint, &IParamValueQueue::addPoint);
    ExpectSlots(kAfterUnknown, &IParameterChanges::getParameterCount, &IParameterChanges::getParameterData,
                &IParameterChanges::addParameterData);
    ExpectSlots(kAfterUnknown, &IEventList::getEventCount, &IEventList::getEvent, &IEventList::addEvent);
    ExpectSlots(kAfterBase, &IEditController::setComponentState, &IEditController::setState, &IEditController::getState,
                &IEditController::getParameterCount, &IEditController::getParameterInfo,
                &IEditController::getParamStringByValue, &IEditController::getParamValueByString,
                &IEditController::normalizedParamToPlain, &IEditController::plainParamToNormalized,
                &IEditController::getParamNormalized, &IEditController::setParamNormalized,
                &IEditController::setComponentHandler, &IEditController::createView);
    ExpectSlots(kAfterUnknown, &IEditController2::setKnobMode, &IEditController2::openHelp,
                &IEditController2::openAboutBox);
    ExpectSlots(kAfterUnknown, &IMidiMapping::getMidiControllerAssignment);
    ExpectSlots(kAfterUnknown, &IUnitInfo::getUnitCount, &IUnitInfo::getUnitInfo, &IUnitInfo::getProgramListCount,
                &IUnitInfo::getProgramListInfo, &IUnitInfo::getProgramName, &IUnitInfo::getProgramInfo,
                &IUnitInfo::hasProgramPitchNames, &IUnitInfo::getProgramPitchName, &IUnitInfo::getSelectedUnit,
                &IUnitInfo::selectUnit, &IUnitInfo::getUnitByBus, &IUnitInfo::setUnitProgramData);
    ExpectSlots(kAfterUnknown, &IComponentHandler::beginEdit, &IComponentHandler::performEdit,
                &IComponentHandler::endEdit, &IComponentHandler::restartComponent);
    ExpectSlots(kAfterUnknown, &IPlugView::isPlatformTypeSupported, &IPlugView::attached, &IPlugView::removed,
                &IPlugView::onWheel, &IPlugView::onKeyDown, &IPlugView::onKeyUp, &IPlugView::getSize, &IPlugView::onSize,
                &IPlugView::onFocus, &IPlugView::setFrame, &IPlugView::canResize, &IPlugView::checkSizeConstraint);
    ExpectSlots(kAfterUnknown, &IPlugFrame::resizeView);
    ExpectSlots(kAfterUnknown, &IEventHandler::onFDIsSet);
    ExpectSlots(kAfterUnknown, &ITimerHandler::onTimer);
    ExpectSlots(kAfterUnknown, &IRunLoop::registerEventHandler, &IRunLoop::unregisterEventHandler,
                &IRunLoop::registerTimer, &IRunLoop::unregisterTimer);
    ExpectSlots(kAfterUnknown, &IBStream::read, &IBStream::write, &IBStream::seek, &IBStream::tell);
    ExpectSlots(kAfterUnknown, &IHostApplication::getName, &IHostApplication::createInstance);
    ExpectSlots(kAfterUnknown, &IAttributeList::setInt, &IAttributeList::getInt, &IAttributeList::setFloat,
                &IAttributeList::getFloat, &IAttributeList::setString, &IAttributeList::getString,
                &IAttributeList::setBinary, &IAttributeList::getBinary);
    ExpectSlots(kAfterUnknown, &IMessage::getMessageID, &IMessage::setMessageID, &IMessage::getAttributes);
    ExpectSlots(kAfterUnknown, &IConnectionPoint::connect, &IConnectionPoint::disconnect, &IConnectionPoint::notify);
}

}  // namespace
