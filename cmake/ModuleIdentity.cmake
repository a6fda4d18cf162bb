# The module's identity, written once for the factory (generated/ModuleIdentity.h) and
# for hosts that read a bundle without loading it (moduleinfo.json, copied into each
# bundle's Contents/Resources by vortalis_plugin).
set(VORTALIS_VENDOR "Yorvane")
set(VORTALIS_VENDOR_URL "https://www.yorvane.example")
set(VORTALIS_VENDOR_EMAIL "mailto:support@yorvane.example")
set(VORTALIS_CLASS_NAME "Vortalis")
set(VORTALIS_SUB_CATEGORIES "Fx|Modulation")
set(VORTALIS_CLASS_VERSION "7.10")
set(VORTALIS_SDK_VERSION "VST 3.5.2")
set(VORTALIS_COMPATIBILITY_CLASS_NAME "Vortalis Compatibility")
set(VORTALIS_COMPATIBILITY_CLASS_ID "YorvTagXYAe5Comp")
# The VST 2 plug-in the VST 3 class replaces: its unique identifier and the name it
# answers to effGetEffectName.
set(VORTALIS_VST2_ID "YAe5")
set(VORTALIS_VST2_NAME "Vortalis")
# The audio class's 16 raw ID bytes, read from the binding so that the two never differ.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/shell/vst3/YAudioPluginVST3Adapter.h class_id_line
     REGEX "kClassId = .*MakeUidFromBytes")
string(REGEX REPLACE ".*MakeUidFromBytes\\(\"(................)\"\\).*" "\\1" VORTALIS_CLASS_ID "${class_id_line}")

# A class ID as hosts write it: 32 hexadecimal digits of the ID's four published words.
# Windows keeps IDs in the COM layout (first word and the two halves of the second
# stored little-endian), so the text of the same 16 bytes differs there.
function(vortalis_uid_text bytes out)
  string(HEX "${bytes}" hex)
  string(TOUPPER "${hex}" hex)
  if(WIN32)
    set(swapped "")
    foreach(pair 6 4 2 0 10 8 14 12)
      string(SUBSTRING "${hex}" ${pair} 2 byte)
      string(APPEND swapped "${byte}")
    endforeach()
    string(SUBSTRING "${hex}" 16 16 tail)
    set(hex "${swapped}${tail}")
  endif()
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# The class ID hosts derive for a VST 2 plug-in: "VST" as 24 bits, the unique
# identifier as 32 bits, then the first nine characters of its name in lower case,
# padded with zero bytes; the same text on every system.
function(vortalis_vst2_uid_text id name out)
  string(HEX "VST${id}" hex)
  string(TOLOWER "${name}" name)
  string(SUBSTRING "${name}" 0 9 name)
  string(HEX "${name}" name_hex)
  string(APPEND hex "${name_hex}")
  string(LENGTH "${hex}" length)
  while(length LESS 32)
    string(APPEND hex "00")
    math(EXPR length "${length} + 2")
  endwhile()
  string(TOUPPER "${hex}" hex)
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

vortalis_uid_text("${VORTALIS_CLASS_ID}" VORTALIS_CLASS_ID_TEXT)
vortalis_uid_text("${VORTALIS_COMPATIBILITY_CLASS_ID}" VORTALIS_COMPATIBILITY_CLASS_ID_TEXT)
vortalis_vst2_uid_text("${VORTALIS_VST2_ID}" "${VORTALIS_VST2_NAME}" VORTALIS_VST2_CLASS_ID_TEXT)
string(REPLACE "|" "\", \"" VORTALIS_SUB_CATEGORIES_JSON "\"${VORTALIS_SUB_CATEGORIES}\"")
set(VORTALIS_COMPATIBILITY_JSON "[
    {
      \"New\": \"${VORTALIS_CLASS_ID_TEXT}\",
      \"Old\": [\"${VORTALIS_VST2_CLASS_ID_TEXT}\"]
    }
  ]")

set(VORTALIS_GENERATED_FOLDER ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ModuleIdentity.h.in ${VORTALIS_GENERATED_FOLDER}/ModuleIdentity.h @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/moduleinfo.json.in ${VORTALIS_GENERATED_FOLDER}/moduleinfo.json @ONLY)
