; Per-user installer of Hueglass: no administrator rights, installs into the
; user's local programs folder, optionally starts the program at sign-in,
; registers itself in "Apps" and upgrades a running copy in place.
;
; Built by installer/Package.cmake with -D VERSION PUBLISHER STAGE ICON
; SIDE_BITMAP OUTFILE [LICENSE_FILE].
;
; Command line (besides NSIS's own /S and /D=folder):
;   /STARTUP=1 or /STARTUP=0   start at sign-in or not (default: as the last
;                              install chose, ticked on a first install)
;   /LAUNCH                    start Hueglass after a silent install
; Uninstaller: /S for silent, /REMOVEDATA to remove the settings and the
; remembered colours too.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

!define PRODUCT "Hueglass"
!define MAIN_CLASS "TFrmHueglassMain"
; The tray menu's "E&xit" command: the program saves its settings and its
; colour file and ends, as when the user chooses it.
!define EXIT_COMMAND 1009
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Hueglass"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Hueglass"
; How long a running copy may take to end before the user is asked.
!define END_TIMEOUT_MS 15000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "© ${PUBLISHER}"

Var StartAtSignIn   ; 1: write the Run value
Var LaunchSilent    ; 1: /LAUNCH given
Var WasRunning      ; 1: a running copy was ended for the upgrade
Var RemoveData      ; uninstaller: 1 to remove settings and colours
Var Checkbox

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The program's picture on the last page, in place of the stock one.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_BITMAP}"
!define MUI_WELCOMEFINISHPAGE_BITMAP_STRETCH AspectFitHeight

!ifdef LICENSE_FILE
  !define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
  !define MUI_LICENSEPAGE_TEXT_BOTTOM "Hueglass is free software under this licence. Click Next to continue."
  !insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!endif
!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Hueglass now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartAfterFinish
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Ends a running Hueglass through its own "E&xit" command, found by its
; window class, so that it saves its settings and colour file first. Waits
; at most END_TIMEOUT_MS for the process to end (it may be showing a
; message); then asks the user to end it, or gives up (silent mode). Sets
; $WasRunning; aborts the install when the copy cannot be ended.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
  StrCpy $WasRunning 0
  again:
  FindWindow $0 "${MAIN_CLASS}"
  ${If} $0 == 0
    Return
  ${EndIf}
  StrCpy $WasRunning 1
  DetailPrint "Ending the running Hueglass..."
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
  ; SYNCHRONIZE, to wait for the process itself: its files stay in use
  ; until it has ended, some time after its window has gone.
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
  ; Posted, not sent: a copy that does not answer cannot hold the installer.
  System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${EXIT_COMMAND}, p 0)'
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${END_TIMEOUT_MS}) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${Else}
    ; No access to the process: wait for its window to go instead.
    StrCpy $4 0
    ${Do}
      System::Call 'user32::IsWindow(p r0) i .r3'
      ${If} $3 == 0
        ${Break}
      ${EndIf}
      Sleep 100
      IntOp $4 $4 + 100
    ${LoopUntil} $4 >= ${END_TIMEOUT_MS}
  ${EndIf}
  ; $3 is 0 once the copy has ended (WAIT_OBJECT_0, or no window left).
  ${If} $3 == 0
    Goto again ; ended: look for another copy
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "Hueglass is still running and could not be ended.$\r$\n$\r$\nEnd it through Exit in its tray menu, then choose Retry." \
    /SD IDCANCEL IDRETRY again
  SetErrorLevel 3
  Abort "Hueglass is still running."
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

Function .onInit
  SetShellVarContext current
  ; Ticked on a first install; a later install keeps the last choice.
  StrCpy $StartAtSignIn 1
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    ClearErrors
    ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} ${Errors}
      StrCpy $StartAtSignIn 0
    ${EndIf}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP=" $1
  ${IfNot} ${Errors}
    ${If} $1 == "0"
      StrCpy $StartAtSignIn 0
    ${Else}
      StrCpy $StartAtSignIn 1
    ${EndIf}
  ${EndIf}
  StrCpy $LaunchSilent 0
  ClearErrors
  ${GetOptions} $0 "/LAUNCH" $1
  ${IfNot} ${Errors}
    StrCpy $LaunchSilent 1
  ${EndIf}
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "Options" "Choose how Hueglass starts."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 24u "Hueglass changes the accent colour only while it runs. It lives in the notification area and uses little memory."
  Pop $0
  ${NSD_CreateCheckbox} 0 32u 100% 12u "&Start Hueglass when I sign in"
  Pop $Checkbox
  ${If} $StartAtSignIn == 1
    ${NSD_Check} $Checkbox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $Checkbox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $StartAtSignIn 1
  ${Else}
    StrCpy $StartAtSignIn 0
  ${EndIf}
FunctionEnd

Section "Hueglass" SecMain
  SectionIn RO
  Call EndRunningCopy

  SetOutPath "$INSTDIR"
  ; A file still in use (another program holding it) is retried by the
  ; user or ends the install with an error; never a half-silent success.
  SetOverwrite on
  File "${STAGE}\Hueglass.exe"
  File "${STAGE}\hueglass-color.exe"
  File "${STAGE}\README.txt"
!ifdef LICENSE_FILE
  File "${STAGE}\LICENSE.txt"
!else
  Delete "$INSTDIR\LICENSE.txt"
!endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Hueglass.exe" "" "$INSTDIR\Hueglass.exe" 0

  ${If} $StartAtSignIn == 1
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Hueglass.exe"'
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Hueglass.exe",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; A copy ended for the upgrade comes back; otherwise a silent install
  ; starts the program only when asked (/LAUNCH), and an interactive one
  ; through the finish page.
  ${If} $WasRunning == 1
    Exec '"$INSTDIR\Hueglass.exe"'
  ${ElseIf} $LaunchSilent == 1
  ${AndIf} ${Silent}
    Exec '"$INSTDIR\Hueglass.exe"'
  ${EndIf}
SectionEnd

Function FinishPageShow
  ; Already started again after the upgrade: nothing to offer.
  ${If} $WasRunning == 1
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${NSD_Uncheck} $mui.FinishPage.Run
  ${EndIf}
FunctionEnd

Function StartAfterFinish
  FindWindow $0 "${MAIN_CLASS}"
  ${If} $0 == 0
    Exec '"$INSTDIR\Hueglass.exe"'
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
  StrCpy $RemoveData 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    StrCpy $RemoveData 1
  ${EndIf}
FunctionEnd

Function un.OptionsPage
  !insertmacro MUI_HEADER_TEXT "Uninstall Hueglass" "Remove Hueglass from your computer."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 24u "Hueglass will be ended if it runs and removed from:$\r$\n$INSTDIR"
  Pop $0
  ${NSD_CreateLabel} 0 34u 100% 24u "Your settings and the colours you set by hand for your wallpapers are kept, so a later install finds them again."
  Pop $0
  ${NSD_CreateCheckbox} 0 62u 100% 12u "&Remove my settings and remembered colours too"
  Pop $Checkbox
  ${If} $RemoveData == 1
    ${NSD_Check} $Checkbox
  ${EndIf}
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
  nsDialogs::Show
FunctionEnd

Function un.OptionsPageLeave
  ${NSD_GetState} $Checkbox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $RemoveData 1
  ${Else}
    StrCpy $RemoveData 0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningCopy

  Delete "$INSTDIR\Hueglass.exe"
  Delete "$INSTDIR\hueglass-color.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"

  ${If} $RemoveData == 1
    ; Settings kept beside the program (portable mode) and in the profile.
    Delete "$INSTDIR\Hueglass.Settings"
    Delete "$INSTDIR\CustomColorCache.Settings"
    Delete "$APPDATA\Brenmoor\Hueglass\Hueglass.Settings"
    Delete "$APPDATA\Brenmoor\Hueglass\CustomColorCache.Settings"
    ; Only when empty: nothing else of the user's is removed.
    RMDir "$APPDATA\Brenmoor\Hueglass"
    RMDir "$APPDATA\Brenmoor"
  ${EndIf}

  Delete "$INSTDIR\Uninstall.exe"
  ; Not recursive: a folder the user chose may hold files of their own.
  RMDir "$INSTDIR"
  ; Last, so that "Apps" lists Hueglass until everything else is gone.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
