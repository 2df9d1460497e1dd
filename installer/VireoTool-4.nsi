; SPDX-License-Identifier: Apache-2.0
; VireoTool-4 installer (NSIS 3, makensis). Built by the cross build:
;   makensis -DVERSION_TEXT=2.00 -DVERSION_RECORD=2.0.0.0 -DHELP_FILE=... -DPROGRAM_EXE=... -DMANUAL=... -DOUTFILE=... [-DAPP_ICON=...] [-DCLI_EXE=...] [-DWEB_SITE=folder of web_install.nsh] VireoTool-4.nsi
;
; Installs VireoTool-4.exe, the command-line tool vireo4.exe (when CLI_EXE is given), the browser
; page in web\ (when WEB_SITE is given) and help\ into "C:\VireoTool-4 v.VERSION_TEXT" (the folder the program's
; help hint names), outside Program Files, because the program writes appconfig.ini into its
; working folder and the shortcuts make the install folder that working folder.
;
; Rights: a new folder under C:\ would let every user change it, and so replace a program that an
; administrator runs later. The install folder is therefore writable by administrators and SYSTEM
; only (users read and run), except appconfig.ini, which the installer creates with the
; program's default content and which users may change: the window opens the existing file for
; update when it saves the language and the tab, which needs no right on the folder.
; An earlier install (found by the uninstall entry, in this folder or another) is uninstalled
; first; its appconfig.ini is kept, and moved into the new folder when that has none.
; Silent use: setup.exe /S [/D=C:\Other Folder]; Uninstall.exe /S.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The files carry no build time: the same sources give the same installer.
SetDateSave off
RequestExecutionLevel admin
ManifestDPIAware true

!ifndef PROGRAM_EXE
  !error "PROGRAM_EXE (path of VireoTool-4.exe) must be given with -D"
!endif
!ifndef MANUAL
  !error "MANUAL (path of the built help PDF) must be given with -D"
!endif
; The version and the manual's name come from the build (the project's version).
!ifndef VERSION_TEXT | VERSION_RECORD | HELP_FILE
  !error "VERSION_TEXT (2.00), VERSION_RECORD (2.0.0.0) and HELP_FILE (the manual's file name) must be given with -D"
!endif
!ifndef OUTFILE
  !define OUTFILE "VireoTool-4-${VERSION_TEXT}-setup.exe"
!endif

!define PRODUCT "VireoTool-4"
!define PUBLISHER "Vireo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define START_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define CONFIG_FILE "appconfig.ini"
; What the program writes when it finds no appconfig.ini: Russian, the KRU/KRM tab.
!define CONFIG_DEFAULT "Language = RU;$\r$\nTabCtrl = KRU_KRM;$\r$\n"
; Access rights, set with icacls by well-known SIDs (the group names depend on Windows'
; language): administrators and SYSTEM full control, users read and execute, for the folder and
; everything in it, nothing inherited from C:\; users may also modify appconfig.ini.
!define ADMINISTRATORS "*S-1-5-32-544"
!define SYSTEM_ACCOUNT "*S-1-5-18"
!define USERS "*S-1-5-32-545"
!define FOLDER_RIGHTS "/inheritance:r /grant:r ${ADMINISTRATORS}:(OI)(CI)F ${SYSTEM_ACCOUNT}:(OI)(CI)F ${USERS}:(OI)(CI)RX"
!define CONFIG_RIGHTS "/grant ${USERS}:(M)"

Name "${PRODUCT} v.${VERSION_TEXT}"
OutFile "${OUTFILE}"
InstallDir "C:\${PRODUCT} v.${VERSION_TEXT}"
BrandingText "${PRODUCT} v.${VERSION_TEXT}"

; The version record of setup.exe.
VIProductVersion "${VERSION_RECORD}"
VIFileVersion "${VERSION_RECORD}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION_RECORD}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION_RECORD}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION_TEXT} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!ifdef APP_ICON
  !define MUI_ICON "${APP_ICON}"
  !define MUI_UNICON "${APP_ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunProgram
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION OpenManual
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_LANGDLL_ALLLANGUAGES
; The language chosen is kept so that the uninstaller speaks it and finds the shortcuts
; by the names it gave them.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; Russian first: the program itself starts in Russian.
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"

LangString SecProgram ${LANG_RUSSIAN} "Программа и справка"
LangString SecProgram ${LANG_ENGLISH} "Program and help"
LangString SecDesktop ${LANG_RUSSIAN} "Ярлык на рабочем столе"
LangString SecDesktop ${LANG_ENGLISH} "Desktop shortcut"
LangString HelpLink ${LANG_RUSSIAN} "Справка VireoTool-4"
LangString HelpLink ${LANG_ENGLISH} "VireoTool-4 help"
LangString WebLink ${LANG_RUSSIAN} "VireoTool-4 в браузере"
LangString WebLink ${LANG_ENGLISH} "VireoTool-4 in the browser"
LangString UninstallLink ${LANG_RUSSIAN} "Удалить VireoTool-4"
LangString UninstallLink ${LANG_ENGLISH} "Uninstall VireoTool-4"
LangString Needs64 ${LANG_RUSSIAN} "VireoTool-4 работает только в 64-разрядной Windows."
LangString Needs64 ${LANG_ENGLISH} "VireoTool-4 needs 64-bit Windows."
LangString NoRights ${LANG_RUSSIAN} "Не удалось установить права доступа к папке установки:"
LangString NoRights ${LANG_ENGLISH} "Could not set the access rights of the install folder:"

; Runs icacls with the given arguments; when it fails the installer stops (exit code 2), before
; anything is put into a folder that others could change.
!macro SetRights ARGUMENTS
  Push '${ARGUMENTS}'
  Call SetRights
!macroend

Function SetRights
  Exch $R0
  Push $R1
  nsExec::Exec '"$SYSDIR\icacls.exe" $R0'
  Pop $R1
  ${If} $R1 != 0
    MessageBox MB_ICONSTOP "$(NoRights)$\r$\n$INSTDIR ($R1)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Pop $R1
  Pop $R0
FunctionEnd

; The earlier install named by the uninstall entry: its own uninstaller removes its programs
; (and leaves appconfig.ini); run in place (_?=) so that the installer waits for it.
Function RemovePrevious
  Push $R0
  Push $R1
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $R1 ""
  ${If} $R0 != ""
  ${AndIf} ${FileExists} "$R0\*.*"
    ${If} $R0 != $INSTDIR
    ${AndIf} ${FileExists} "$R0\${CONFIG_FILE}"
    ${AndIfNot} ${FileExists} "$INSTDIR\${CONFIG_FILE}"
      CreateDirectory "$INSTDIR"
      ClearErrors
      CopyFiles /SILENT "$R0\${CONFIG_FILE}" "$INSTDIR"
      ${IfNot} ${Errors}
        StrCpy $R1 "moved"
      ${EndIf}
    ${EndIf}
    ${If} ${FileExists} "$R0\Uninstall.exe"
      ExecWait '"$R0\Uninstall.exe" /S _?=$R0'
      Delete "$R0\Uninstall.exe"
    ${Else}
      Delete "$R0\${PRODUCT}.exe"
      Delete "$R0\vireo4.exe"
    ${EndIf}
    ${If} $R1 == "moved"
      Delete "$R0\${CONFIG_FILE}"
    ${EndIf}
    ${If} $R0 != $INSTDIR
      RMDir "$R0"
    ${EndIf}
  ${EndIf}
  Pop $R1
  Pop $R0
FunctionEnd

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "$(Needs64)" /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; Started from the finish page with the install folder as working folder, as the
; shortcuts do, so the program finds help\ and keeps appconfig.ini there.
Function RunProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\${PRODUCT}.exe"'
FunctionEnd

Function OpenManual
  ExecShell "open" "$INSTDIR\help\${HELP_FILE}"
FunctionEnd

Section "!$(SecProgram)" SEC_PROGRAM
  SectionIn RO
  Call RemovePrevious
  CreateDirectory "$INSTDIR"
  ; First whatever rights the folder had go, then only administrators and SYSTEM may change it.
  !insertmacro SetRights '"$INSTDIR" /reset'
  !insertmacro SetRights '"$INSTDIR" ${FOLDER_RIGHTS}'
  SetOutPath "$INSTDIR"
  File "/oname=${PRODUCT}.exe" "${PROGRAM_EXE}"
!ifdef CLI_EXE
  ; The command-line tool, beside the program: "$INSTDIR\vireo4.exe" find
  File "/oname=vireo4.exe" "${CLI_EXE}"
!endif
  SetOutPath "$INSTDIR\help"
  File "/oname=${HELP_FILE}" "${MANUAL}"
!ifdef WEB_SITE
  ; The browser page: opened from disk in Chrome or Edge it configures readers over Web Serial.
  SetOutPath "$INSTDIR\web"
  !include "${WEB_SITE}/web_install.nsh"
!endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  SetOutPath "$INSTDIR"
  ${IfNot} ${FileExists} "$INSTDIR\${CONFIG_FILE}"
    FileOpen $0 "$INSTDIR\${CONFIG_FILE}" w
    FileWrite $0 "${CONFIG_DEFAULT}"
    FileClose $0
  ${EndIf}
  ; What an earlier install left (appconfig.ini among it) takes the folder's rights; then users
  ; may change appconfig.ini.
  !insertmacro SetRights '"$INSTDIR\*" /reset /T /C /Q'
  !insertmacro SetRights '"$INSTDIR\${CONFIG_FILE}" ${CONFIG_RIGHTS}'

  ; Shortcuts take the current output folder as their working folder.
  SetOutPath "$INSTDIR"
  CreateDirectory "${START_FOLDER}"
  CreateShortCut "${START_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe" "" "$INSTDIR\${PRODUCT}.exe" 0
  CreateShortCut "${START_FOLDER}\$(HelpLink).lnk" "$INSTDIR\help\${HELP_FILE}"
!ifdef WEB_SITE
  CreateShortCut "${START_FOLDER}\$(WebLink).lnk" "$INSTDIR\web\index.html"
!endif
  CreateShortCut "${START_FOLDER}\$(UninstallLink).lnk" "$INSTDIR\Uninstall.exe"

  ; The entry in Add/Remove Programs, in the 64-bit registry view.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} v.${VERSION_TEXT} (x64)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Installer Language" "$LANGUAGE"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" 2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" 0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "$(SecDesktop)" SEC_DESKTOP
  SetOutPath "$INSTDIR"
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe" "" "$INSTDIR\${PRODUCT}.exe" 0
SectionEnd

; appconfig.ini as the installer wrote it (no choice of the user in it) goes with the programs;
; one the user's choices changed stays.
Function un.RemoveUntouchedConfig
  ClearErrors
  FileOpen $0 "$INSTDIR\${CONFIG_FILE}" r
  ${IfNot} ${Errors}
    FileRead $0 $1
    FileRead $0 $2
    ClearErrors
    FileRead $0 $3
    FileClose $0
    ${If} ${Errors}
    ${AndIf} "$1$2" S== "${CONFIG_DEFAULT}"
      Delete "$INSTDIR\${CONFIG_FILE}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Removes exactly what the installer put there. An appconfig.ini with the user's choices is the
; user's own data: it stays, and with it the folder.
Section "Uninstall"
  Call un.RemoveUntouchedConfig
  Delete "$INSTDIR\${PRODUCT}.exe"
  Delete "$INSTDIR\vireo4.exe"
  Delete "$INSTDIR\help\${HELP_FILE}"
  RMDir "$INSTDIR\help"
!ifdef WEB_SITE
  !include "${WEB_SITE}/web_uninstall.nsh"
!endif
  RMDir "$INSTDIR\web"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${START_FOLDER}\${PRODUCT}.lnk"
  Delete "${START_FOLDER}\$(HelpLink).lnk"
  Delete "${START_FOLDER}\$(WebLink).lnk"
  Delete "${START_FOLDER}\$(UninstallLink).lnk"
  RMDir "${START_FOLDER}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
