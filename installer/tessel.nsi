; Tessel Desktop's installer: a 64-bit program that installs for the current user, with no
; administrator rights, into %LOCALAPPDATA%\Programs\Tessel Desktop (or the folder /D= names).
; /S installs silently. The program keeps the user's files (profile.xml, account.xml,
; subscriptions.xml, the caches) beside itself when it can write there, so the installer only
; ever writes and removes its own files: tessel.exe, theme\default and uninstall.exe.
;
; A new version is put in place with a way back: its files are first written to a staging
; folder, the old ones moved aside, the new ones moved in, and the old ones removed last. A run
; that stopped midway leaves the old files in the "moved aside" folder, and the next run puts
; them back before it starts, so the folder holds the old program whole or the new one whole.
;
;   makensis -DVERSION=x.y.z -DPROGRAM=tessel.exe -DTHEME=themes/default -DOUTFILE=setup.exe tessel.nsi

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!macro REQUIRE name
  !ifndef ${name}
    !error "${name} must be defined: makensis -D${name}=..."
  !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE PROGRAM
!insertmacro REQUIRE THEME
!insertmacro REQUIRE OUTFILE

!define PRODUCT "Tessel Desktop"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessel Desktop"
; The program's "start with Windows" entry (src/dialogs/win32_settings_dialog.h).
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Tessel Desktop"
; The main window's class and its "&Exit" command (src/app/main_menu.h), which saves the
; settings before the program ends.
!define MAIN_CLASS "TMainFm"
!define EXIT_COMMAND 109
!define EXIT_WAIT_MS 20000
!define STAGING "~setup-new"
!define ASIDE "~setup-old"
!define SHORTCUT "$SMPROGRAMS\Tessel Desktop.lnk"

!include MUI2.nsh
!include LogicLib.nsh

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow
AllowSkipFiles off

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tessel Desktop Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PRODUCT}"

!define MUI_ICON "${__FILEDIR__}/../resources/tessel.ico"
!define MUI_UNICON "${__FILEDIR__}/../resources/tessel.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tessel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Tessel Desktop"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; One installer or uninstaller at a time: a second one says so and ends.
!macro ONE_AT_A_TIME
  System::Call 'kernel32::CreateMutexW(p 0, i 1, w "TesselDesktopSetup") p .r0 ?e'
  Pop $1
  ${If} $1 = 183  ; ERROR_ALREADY_EXISTS
    MessageBox MB_OK|MB_ICONEXCLAMATION "Tessel Desktop Setup is already running." /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!macroend

; Asks every Tessel Desktop running from $INSTDIR to end the way "&Exit" does, and waits for it
; (bounded). $0 is "ok", or "running" when one did not end in time.
!macro CLOSE_PROGRAM un
Function ${un}CloseProgram
  StrCpy $0 "ok"
  StrCpy $R9 0
  ${Do}
    FindWindow $R0 "${MAIN_CLASS}" "" 0 $R9
    ${If} $R0 = 0
      ${Break}
    ${EndIf}
    StrCpy $R9 $R0
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .r1)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i r1) p .r2'
    ${If} $2 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})'
      ${If} $3 == "$INSTDIR\tessel.exe"
        DetailPrint "Closing Tessel Desktop"
        System::Call 'user32::PostMessageW(p R0, i 0x111, p ${EXIT_COMMAND}, p 0)'
        System::Call 'kernel32::WaitForSingleObject(p r2, i ${EXIT_WAIT_MS}) i .r4'
        ${If} $4 <> 0
          StrCpy $0 "running"
        ${EndIf}
        ; Its windows are gone: the search starts over.
        StrCpy $R9 0
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
  ${LoopUntil} $0 != "ok"
FunctionEnd
!macroend
!insertmacro CLOSE_PROGRAM ""
!insertmacro CLOSE_PROGRAM "un."

Function .onInit
  !insertmacro ONE_AT_A_TIME
  ; A folder given with /D= that the system would not accept is dropped without a word, and the
  ; default used instead; the process's own command line still has it.
  System::Call 'kernel32::GetCommandLineW() p .r0'
  System::Call 'shlwapi::StrStrIW(p r0, w " /D=") p .r1'
  ${If} $1 P<> 0
    System::Call '*$1(&w${NSIS_MAX_STRLEN} .r2)'
    StrCpy $2 $2 "" 4
    ${If} $2 != $INSTDIR
      MessageBox MB_OK|MB_ICONSTOP "Setup cannot install into the folder$\r$\n$2$\r$\n$\r$\nChoose a folder of your own and try again." /SD IDOK
      SetErrorLevel 4
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro ONE_AT_A_TIME
FunctionEnd

; Ends the installation with a message; the folder is left as it was.
!macro FAIL text
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel 4
  Abort
!macroend

; Puts back what a run that stopped midway had moved aside, so the old program is whole again.
Function PutBackMovedAside
  ${If} ${FileExists} "$INSTDIR\${ASIDE}\*.*"
    ${If} ${FileExists} "$INSTDIR\${ASIDE}\tessel.exe"
      Delete "$INSTDIR\tessel.exe"
      Rename "$INSTDIR\${ASIDE}\tessel.exe" "$INSTDIR\tessel.exe"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\${ASIDE}\uninstall.exe"
      Delete "$INSTDIR\uninstall.exe"
      Rename "$INSTDIR\${ASIDE}\uninstall.exe" "$INSTDIR\uninstall.exe"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\${ASIDE}\default\*.*"
      RMDir /r "$INSTDIR\theme\default"
      CreateDirectory "$INSTDIR\theme"
      Rename "$INSTDIR\${ASIDE}\default" "$INSTDIR\theme\default"
    ${EndIf}
    RMDir /r "$INSTDIR\${ASIDE}"
  ${EndIf}
  RMDir /r "$INSTDIR\${STAGING}"
FunctionEnd

; Moves the old files aside and the staged ones in; on a failure puts the old ones back.
; The error flag is set when the new program could not be put in place. (Testing the flag
; clears it, so each step's outcome is kept in $1.)
Function MoveStagedIn
  StrCpy $1 "ok"
  ClearErrors
  CreateDirectory "$INSTDIR\${ASIDE}"
  CreateDirectory "$INSTDIR\theme"
  ${If} ${FileExists} "$INSTDIR\tessel.exe"
    Rename "$INSTDIR\tessel.exe" "$INSTDIR\${ASIDE}\tessel.exe"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\uninstall.exe"
    Rename "$INSTDIR\uninstall.exe" "$INSTDIR\${ASIDE}\uninstall.exe"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\theme\default\*.*"
    Rename "$INSTDIR\theme\default" "$INSTDIR\${ASIDE}\default"
  ${EndIf}
  ${If} ${Errors}
    StrCpy $1 "failed"
  ${Else}
    Rename "$INSTDIR\${STAGING}\tessel.exe" "$INSTDIR\tessel.exe"
    Rename "$INSTDIR\${STAGING}\uninstall.exe" "$INSTDIR\uninstall.exe"
    Rename "$INSTDIR\${STAGING}\default" "$INSTDIR\theme\default"
    ${If} ${Errors}
      StrCpy $1 "failed"
    ${EndIf}
  ${EndIf}
  ${If} $1 != "ok"
    Call PutBackMovedAside
    SetErrors
  ${Else}
    RMDir /r "$INSTDIR\${ASIDE}"
    RMDir /r "$INSTDIR\${STAGING}"
  ${EndIf}
FunctionEnd

Section "Tessel Desktop" SecProgram
  SectionIn RO
  ClearErrors
  CreateDirectory "$INSTDIR"
  FileOpen $0 "$INSTDIR\~setup-probe" w
  ${If} ${Errors}
    !insertmacro FAIL "Setup cannot write to the folder$\r$\n$INSTDIR$\r$\n$\r$\nChoose a folder of your own and try again."
  ${EndIf}
  FileClose $0
  Delete "$INSTDIR\~setup-probe"

  Call CloseProgram
  ${If} $0 != "ok"
    !insertmacro FAIL "Tessel Desktop is still running and did not end when asked.$\r$\n$\r$\nExit Tessel Desktop and try again."
  ${EndIf}
  Call PutBackMovedAside

  ClearErrors
  SetOutPath "$INSTDIR\${STAGING}"
  File "/oname=tessel.exe" "${PROGRAM}"
  SetOutPath "$INSTDIR\${STAGING}\default"
  File /r "${THEME}/*.*"
  WriteUninstaller "$INSTDIR\${STAGING}\uninstall.exe"
  SetOutPath "$INSTDIR"
  ${If} ${Errors}
    RMDir /r "$INSTDIR\${STAGING}"
    !insertmacro FAIL "Setup could not write the program's files to$\r$\n$INSTDIR$\r$\n$\r$\nThe installed program was not changed."
  ${EndIf}
  Call MoveStagedIn
  ${If} ${Errors}
    !insertmacro FAIL "Setup could not replace the program's files in$\r$\n$INSTDIR$\r$\n$\r$\nThe installed program was not changed."
  ${EndIf}

  CreateShortcut "${SHORTCUT}" "$INSTDIR\tessel.exe"
  SectionGetSize ${SecProgram} $1
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tessel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "un.Tessel Desktop" UnSecProgram
  SectionIn RO
  Call un.CloseProgram
  ${If} $0 != "ok"
    MessageBox MB_OK|MB_ICONSTOP "Tessel Desktop is still running and did not end when asked.$\r$\n$\r$\nExit Tessel Desktop and try again." /SD IDOK
    SetErrorLevel 4
    Abort
  ${EndIf}
  Delete "$INSTDIR\tessel.exe"
  RMDir /r "$INSTDIR\theme\default"
  RMDir "$INSTDIR\theme"
  ; Setups the update check downloaded and ran from here.
  Delete "$INSTDIR\tessel-desktop-*-setup.exe"
  Delete "$INSTDIR\uninstall.exe"
  Delete "${SHORTCUT}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Not chosen unless the user ticks it, so a silent uninstall keeps them. The files the program
; writes are the XML files at the top of its data folder: beside it, or under the user's local
; application data when its folder could not be written.
Section /o "un.Also remove my settings and calendars" UnSecData
  Delete "$INSTDIR\*.xml"
  Delete "$INSTDIR\*.uTMP"
  Delete "$INSTDIR\*.uBAK"
  Delete "$LOCALAPPDATA\${PRODUCT}\*.xml"
  RMDir "$LOCALAPPDATA\${PRODUCT}"
SectionEnd

Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd
