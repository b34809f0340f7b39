// The host functions that the plugin binds by name, in the order in which binding resolves them.
// Eight of them are called and carry their signatures; the others are kept as untyped pointers.
// The list is an X-macro so that the table, the binding and the stand-in host share one spelling.
#pragma once

namespace host_signature {
using GetVersionOfHalvaneFn = void (*)(int* major, int* minor, int* release);
using MessageBoxFn = int (*)(const char* text);
using ShowLogTabFn = void (*)();
using LogTextFn = void (*)(const char* text);
using GetStringParameterFn = void (*)(const char* name, char* buffer);
using SetStringParameterFn = void (*)(const char* name, const char* value);
using SetIntParameterFn = void (*)(const char* name, int value);
// Returns 1 when the user chose a file, whose full name is then in the 256-byte buffer.
using GetOpenFileNameFn = int (*)(const char* caption, const char* initial, const char* filter, char* buffer);
// A bound function that the plugin never calls.
using UntypedFn = void (*)();
}  // namespace host_signature

// The version query comes first and alone: binding fails without it and then touches nothing else.
#define HALVANE_HOST_VERSION_FUNCTION(TYPED) \
  TYPED(hvGetVersionOfHalvane, host_signature::GetVersionOfHalvaneFn)

// The other 149 functions, in binding order.
#define HALVANE_HOST_OTHER_FUNCTIONS(TYPED, UNTYPED)                \
  UNTYPED(hvGetHalvanePath)                                         \
  UNTYPED(hvGetPluginsPath)                                         \
  UNTYPED(hvShowLogPane)                                            \
  TYPED(hvShowLogTab, host_signature::ShowLogTabFn)                 \
  TYPED(hvLogText, host_signature::LogTextFn)                       \
  TYPED(hvMessageBox, host_signature::MessageBoxFn)                 \
  UNTYPED(hvYesNoMessageBox)                                        \
  UNTYPED(hvGetIntegerInput)                                        \
  UNTYPED(hvGetFloatInput)                                          \
  UNTYPED(hvGetTextInput)                                           \
  TYPED(hvGetOpenFileName, host_signature::GetOpenFileNameFn)       \
  UNTYPED(hvGetSaveFileName)                                        \
  UNTYPED(hvUpdateActiveWindow)                                     \
  UNTYPED(hvShowBusyCursor)                                         \
  UNTYPED(hvStopBusyCursor)                                         \
  UNTYPED(hvGetNumberOfDocsInWorkspace)                             \
  UNTYPED(hvGetDocumentType)                                        \
  UNTYPED(hvGetDocumentTypeName)                                    \
  UNTYPED(hvGetIDOfCurrentDocument)                                 \
  UNTYPED(hvSetAsCurrentDocument)                                   \
  UNTYPED(hvCalculateIAMatrix)                                      \
  UNTYPED(hvGetTRFParametersFromVolumeToolsDlg)                     \
  UNTYPED(hvGetHeaderOfCurrentFMR)                                  \
  UNTYPED(hvSetHeaderOfCurrentFMR)                                  \
  UNTYPED(hvGetSTCFloatDataOfCurrentFMR)                            \
  UNTYPED(hvGetSTCIntDataOfCurrentFMR)                              \
  UNTYPED(hvGetSTCDataOfCurrentFMR)                                 \
  UNTYPED(hvSaveFMR)                                                \
  UNTYPED(hvSaveFMRAndSTC)                                          \
  UNTYPED(hvGetScannerPositionHeaderOfCurrentFMR)                   \
  UNTYPED(hvSetScannerPositionHeaderOfCurrentFMR)                   \
  UNTYPED(hvGetHeaderOfCurrentDMR)                                  \
  UNTYPED(hvSetHeaderOfCurrentDMR)                                  \
  UNTYPED(hvGetDWIFloatDataOfCurrentDMR)                            \
  UNTYPED(hvGetDWIIntDataOfCurrentDMR)                              \
  UNTYPED(hvGetDWIDataOfCurrentDMR)                                 \
  UNTYPED(hvConvertDWIFormatOfCurrentDMR)                           \
  UNTYPED(hvSaveDMR)                                                \
  UNTYPED(hvSaveDMRAndDWI)                                          \
  UNTYPED(hvGetCurrentVMR)                                          \
  UNTYPED(hvGetMainHeaderOfCurrentVMR)                              \
  UNTYPED(hvSetMainHeaderOfCurrentVMR)                              \
  UNTYPED(hvGetScannerPositionHeaderOfCurrentVMR)                   \
  UNTYPED(hvSetScannerPositionHeaderOfCurrentVMR)                   \
  UNTYPED(hvGetPastTransformationsHeaderOfCurrentVMR)               \
  UNTYPED(hvSetPastTransformationsHeaderOfCurrentVMR)               \
  UNTYPED(hvReframeCurrentVMR)                                      \
  UNTYPED(hvGetCrossPositionOfCurrentVMR)                           \
  UNTYPED(hvGetNRVMPsOfCurrentVMR)                                  \
  UNTYPED(hvGetNRVMPOfCurrentVMR)                                   \
  UNTYPED(hvSetNRVMPParametersOfCurrentVMR)                         \
  UNTYPED(hvLoadNRVMPsToCurrentVMR)                                 \
  UNTYPED(hvSaveNRVMPsOfCurrentVMR)                                 \
  UNTYPED(hvCreateNRVMPsForCurrentVMR)                              \
  UNTYPED(hvDeleteNRVMPsOfCurrentVMR)                               \
  UNTYPED(hvSetNRVMPsParamsDisplayRange)                            \
  UNTYPED(hvGetARVMPsOfCurrentVMR)                                  \
  UNTYPED(hvGetARVMPOfCurrentVMR)                                   \
  UNTYPED(hvSetARVMPParametersOfCurrentVMR)                         \
  UNTYPED(hvLoadARVMPsToCurrentVMR)                                 \
  UNTYPED(hvSaveARVMPsOfCurrentVMR)                                 \
  UNTYPED(hvCreateARVMPsForCurrentVMR)                              \
  UNTYPED(hvDeleteARVMPsOfCurrentVMR)                               \
  UNTYPED(hvLinkVTCToCurrentVMR)                                    \
  UNTYPED(hvCreateVTCForCurrentVMR)                                 \
  UNTYPED(hvGetHeaderOfVTCOfCurrentVMR)                             \
  UNTYPED(hvSetHeaderOfVTCOfCurrentVMR)                             \
  UNTYPED(hvGetVTCOfCurrentVMR)                                     \
  UNTYPED(hvGetVTCFloatDataOfCurrentVMR)                            \
  UNTYPED(hvGetVTCIntDataOfCurrentVMR)                              \
  UNTYPED(hvSetVTCParametersOfCurrentVMR)                           \
  UNTYPED(hvSaveVTCOfCurrentVMR)                                    \
  UNTYPED(hvClearMultiVTCAnalysis)                                  \
  UNTYPED(hvAddVTCRefForMultiVTCAnalysis)                           \
  UNTYPED(hvGetVoxelTimeCourseOfVTC)                                \
  UNTYPED(hvGetVoxelTimeCourseOfVTCs)                               \
  UNTYPED(hvGetVoxelCoordsTimeCourseOfVTC)                          \
  UNTYPED(hvGetVoxelCoordsTimeCourseOfVTCs)                         \
  UNTYPED(hvGetGLMOfCurrentVMR)                                     \
  UNTYPED(hvLoadMaskToCurrentVMR)                                   \
  UNTYPED(hvGetMaskOfCurrentVMR)                                    \
  UNTYPED(hvGetScene)                                               \
  UNTYPED(hvGetCurrentSRF)                                          \
  UNTYPED(hvReleaseSRFAccess)                                       \
  UNTYPED(hvSaveCurrentSRF)                                         \
  UNTYPED(hvSetCurrentSRF)                                          \
  UNTYPED(hvLinkMTCToCurrentSRF)                                    \
  UNTYPED(hvGetMTCOfCurrentSRF)                                     \
  UNTYPED(hvSetMTCParametersOfCurrentSRF)                           \
  UNTYPED(hvCreateMTCForCurrentSRF)                                 \
  UNTYPED(hvSaveMTCOfCurrentSRF)                                    \
  UNTYPED(hvClearMultiMTCRefsOfCurrentSRF)                          \
  UNTYPED(hvAddMultiMTCRefToCurrentSRF)                             \
  UNTYPED(hvGetVertexTimeCourseOfMTC)                               \
  UNTYPED(hvGetVertexTimeCourseOfAllMTCs)                           \
  UNTYPED(hvGetSMPsOfCurrentSRF)                                    \
  UNTYPED(hvGetSMPOfCurrentSRF)                                     \
  UNTYPED(hvSetSMPParametersOfCurrentSRF)                           \
  UNTYPED(hvLoadSMPsToCurrentSRF)                                   \
  UNTYPED(hvSaveSMPsOfCurrentSRF)                                   \
  UNTYPED(hvCreateSMPForCurrentSRF)                                 \
  UNTYPED(hvDeleteSMPsOfCurrentSRF)                                 \
  UNTYPED(hvOverlaySMPsOnSRF)                                       \
  UNTYPED(hvGetSSMOfCurrentSRF)                                     \
  UNTYPED(hvLoadSSMToCurrentSRF)                                    \
  UNTYPED(hvSaveSSMOfCurrentSRF)                                    \
  UNTYPED(hvCreateSSMForCurrentSRF)                                 \
  UNTYPED(hvDeleteSSMOfCurrentSRF)                                  \
  UNTYPED(hvClearProtocol)                                          \
  UNTYPED(hvLoadProtocol)                                           \
  UNTYPED(hvSaveProtocol)                                           \
  UNTYPED(hvGetProtocol)                                            \
  UNTYPED(hvSetProtocol)                                            \
  UNTYPED(hvGetProtocolCondition)                                   \
  UNTYPED(hvAddProtocolCondition)                                   \
  UNTYPED(hvAddProtocolConditionInterval)                           \
  UNTYPED(hvClearDesignMatrix)                                      \
  UNTYPED(hvAddPredictor)                                           \
  UNTYPED(hvSetPredictorValuesFromCondition)                        \
  UNTYPED(hvSetPredictorValuesFromConditionName)                    \
  UNTYPED(hvApplyTwoGammaHRFToPredictor)                            \
  UNTYPED(hvApplyTwoGammaHRFToPredictorWithName)                    \
  UNTYPED(hvApplyBoyntonHRFToPredictor)                             \
  UNTYPED(hvApplyBoyntonHRFToPredictorWithName)                     \
  UNTYPED(hvGetPredictor)                                           \
  UNTYPED(hvGetPredictorByName)                                     \
  UNTYPED(hvLoadSingleStudyGLMDesignMatrix)                         \
  UNTYPED(hvSaveSingleStudyGLMDesignMatrix)                         \
  UNTYPED(hvLoadVOIs)                                               \
  UNTYPED(hvSaveVOIs)                                               \
  UNTYPED(hvGetVOIs)                                                \
  UNTYPED(hvGetVOI)                                                 \
  UNTYPED(hvLoadPOIs)                                               \
  UNTYPED(hvSavePOIs)                                               \
  UNTYPED(hvGetPOIs)                                                \
  UNTYPED(hvGetPOI)                                                 \
  TYPED(hvGetStringParameter, host_signature::GetStringParameterFn) \
  UNTYPED(hvGetIntParameter)                                        \
  UNTYPED(hvGetFloatParameter)                                      \
  TYPED(hvSetStringParameter, host_signature::SetStringParameterFn) \
  TYPED(hvSetIntParameter, host_signature::SetIntParameterFn)       \
  UNTYPED(hvSetFloatParameter)                                      \
  UNTYPED(hvGetDlgStringParameter)                                  \
  UNTYPED(hvGetDlgIntegerParameter)                                 \
  UNTYPED(hvGetDlgFloatParameter)                                   \
  UNTYPED(hvSetDlgStringOutputParameter)                            \
  UNTYPED(hvSetDlgIntegerOutputParameter)                           \
  UNTYPED(hvSetDlgFloatOutputParameter)                             \
  UNTYPED(hvLaunchICADialog)

#define HALVANE_HOST_FUNCTIONS(TYPED, UNTYPED) \
  HALVANE_HOST_VERSION_FUNCTION(TYPED)         \
  HALVANE_HOST_OTHER_FUNCTIONS(TYPED, UNTYPED)
