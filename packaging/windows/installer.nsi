; The Windows setup program: makensis /DVERSION=x.y.z /DSTAGE=folder /DOUTFILE=setup.exe installer.nsi
; (packaging/make-windows-package). STAGE holds KorvaneResonix.vst3, manual, resources and resonix.exe.
; For everyone: the bundle into Common Files\VST3, the rest into Program Files\Korvane Resonix.
; Just me: the per-user VST3 folder and the per-user programs folder. /S installs silently,
; /AllUsers or /CurrentUser picks the mode, /ADDTOPATH adds resonix to PATH.
; An x64 program, as Wine here runs no 32-bit ones: 32-bit Windows refuses to start it ("This app
; can't run on your PC") before anything is written.
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Korvane Resonix"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvaneResonix"
!define BUNDLE "KorvaneResonix.vst3"
!define ENVIRONMENT_ALL "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
; The uninstaller finds the mode it was installed in from where its key lives.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "UninstallString"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include StrFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var Vst3Folder

!define MUI_ABORTWARNING
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\manual\1.htm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the manual"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Korvane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Korvane"

; Where VST3 hosts look: Common Files\VST3 for everyone, %LOCALAPPDATA%\Programs\Common\VST3 for one user.
!macro CHOOSE_VST3_FOLDER
  ${If} $MultiUser.InstallMode == "AllUsers"
    StrCpy $Vst3Folder "$COMMONFILES64\VST3"
  ${Else}
    StrCpy $Vst3Folder "$LOCALAPPDATA\Programs\Common\VST3"
  ${EndIf}
!macroend

Section "${PRODUCT} (VST3, manual, resonix)" SecMain
  SectionIn RO
  !insertmacro CHOOSE_VST3_FOLDER
  ; A bundle left by an earlier version goes first, so no stale file of it stays.
  ; File /r with a folder's name would match that name in every subfolder too: each folder's
  ; content is named instead.
  RMDir /r "$Vst3Folder\${BUNDLE}"
  SetOutPath "$Vst3Folder\${BUNDLE}"
  File /r "${STAGE}\${BUNDLE}\*.*"
  RMDir /r "$INSTDIR\manual"
  SetOutPath "$INSTDIR\manual"
  File /r "${STAGE}\manual\*.*"
  RMDir /r "$INSTDIR\resources"
  SetOutPath "$INSTDIR\resources"
  File /r "${STAGE}\resources\*.*"
  SetOutPath "$INSTDIR"
  File "${STAGE}\resonix.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} manual.lnk" "$INSTDIR\manual\1.htm"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Korvane"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "VST3Folder" "$Vst3Folder"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$Vst3Folder\${BUNDLE}" "/S=0K" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Add resonix to PATH" SecPath
  Call ReadPath
  ${If} $R9 == "toolong"
    MessageBox MB_OK|MB_ICONEXCLAMATION "PATH is too long to change safely; resonix was not added to it. It is in $INSTDIR." /SD IDOK
    Return
  ${EndIf}
  ${StrStr} $R1 ";$R0;" ";$INSTDIR;"
  ${If} $R1 == ""
    ${If} $R0 == ""
      StrCpy $R0 "$INSTDIR"
    ${Else}
      StrCpy $R0 "$R0;$INSTDIR"
    ${EndIf}
    Call WritePath
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "AddedToPath" 1
  ${EndIf}
SectionEnd

Function .onInit
  SetRegView 64
  !insertmacro MULTIUSER_INIT
  ${GetParameters} $R0
  ${GetOptions} $R0 "/ADDTOPATH" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "The VST3 plug-in where hosts look, the manual with a Start-menu entry, and the resonix command-line tool."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "Lets you type resonix in any command prompt."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; PATH of the install mode into $R0 ($R9 "toolong" when it does not fit in a string here: then it
; must not be rewritten, or it would be cut short).
!macro READ_PATH un
Function ${un}ReadPath
  StrCpy $R9 ""
  ClearErrors
  ${If} $MultiUser.InstallMode == "AllUsers"
    ReadRegStr $R0 HKLM "${ENVIRONMENT_ALL}" "Path"
  ${Else}
    ReadRegStr $R0 HKCU "Environment" "Path"
  ${EndIf}
  ${If} ${Errors}
    ; Missing, or too long to read: only a missing value may be created.
    StrCpy $R2 0
    ${Do}
      ${If} $MultiUser.InstallMode == "AllUsers"
        EnumRegValue $R3 HKLM "${ENVIRONMENT_ALL}" $R2
      ${Else}
        EnumRegValue $R3 HKCU "Environment" $R2
      ${EndIf}
      ${If} $R3 == ""
        ${ExitDo}
      ${EndIf}
      ${If} $R3 == "Path"
        StrCpy $R9 "toolong"
        ${ExitDo}
      ${EndIf}
      IntOp $R2 $R2 + 1
    ${Loop}
    StrCpy $R0 ""
  ${Else}
    StrLen $R2 $R0
    ${If} $R2 >= ${NSIS_MAX_STRLEN}
      StrCpy $R9 "toolong"
    ${EndIf}
  ${EndIf}
FunctionEnd

; $R0 as PATH; an empty one goes (the setup program made the value when the user had none).
Function ${un}WritePath
  ${If} $MultiUser.InstallMode == "AllUsers"
    WriteRegExpandStr HKLM "${ENVIRONMENT_ALL}" "Path" "$R0"
  ${ElseIf} $R0 == ""
    DeleteRegValue HKCU "Environment" "Path"
  ${Else}
    WriteRegExpandStr HKCU "Environment" "Path" "$R0"
  ${EndIf}
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
FunctionEnd
!macroend
!insertmacro READ_PATH ""
!insertmacro READ_PATH "un."

; $R0 without the entries equal to $INSTDIR (Windows compares paths without case); every other
; entry, empty ones too, stays as it was.
Function un.DropInstallFolder
  StrCpy $R2 ""
  StrCpy $R6 0
  StrCpy $R0 "$R0;"
  ${Do}
    ${If} $R0 == ""
      ${ExitDo}
    ${EndIf}
    StrCpy $R3 0
    ${Do}
      StrCpy $R4 $R0 1 $R3
      ${If} $R4 == ";"
        ${ExitDo}
      ${EndIf}
      IntOp $R3 $R3 + 1
    ${Loop}
    StrCpy $R5 $R0 $R3
    IntOp $R3 $R3 + 1
    StrCpy $R0 $R0 "" $R3
    ${If} $R5 != "$INSTDIR"
      ${If} $R6 == 0
        StrCpy $R2 "$R5"
      ${Else}
        StrCpy $R2 "$R2;$R5"
      ${EndIf}
      StrCpy $R6 1
    ${EndIf}
  ${Loop}
  StrCpy $R0 $R2
FunctionEnd

; Removes what the setup program put there, and nothing else: the presets in Documents\Korvane
; Resonix and anything the user added to the program folder stay.
Section "Uninstall"
  ReadRegStr $Vst3Folder SHCTX "${UNINSTALL_KEY}" "VST3Folder"
  ${If} $Vst3Folder == ""
    !insertmacro CHOOSE_VST3_FOLDER
  ${EndIf}
  RMDir /r "$Vst3Folder\${BUNDLE}"

  ReadRegDWORD $R1 SHCTX "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $R1 == 1
    Call un.ReadPath
    ${If} $R9 == "toolong"
      MessageBox MB_OK|MB_ICONEXCLAMATION "PATH is too long to change safely; remove $INSTDIR from it by hand." /SD IDOK
    ${Else}
      Call un.DropInstallFolder
      Call un.WritePath
    ${EndIf}
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} manual.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$INSTDIR\resonix.exe"
  RMDir /r "$INSTDIR\manual"
  RMDir /r "$INSTDIR\resources"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
