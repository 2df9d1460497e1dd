; VireoTool-4 installer (NSIS 3, makensis). Built by the cross build:
;   makensis -DVERSION_TEXT=2.00 -DVERSION_RECORD=2.0.0.0 -DHELP_FILE=... -DPROGRAM_EXE=... -DMANUAL=... -DOUTFILE=... [-DAPP_ICON=...] [-DCLI_EXE=...] [-DWEB_SITE=folder of web_install.nsh] VireoTool-4.nsi
;
; Installs VireoTool-4.exe, the command-line tool vireo4.exe (when CLI_EXE is given), the browser
; page in web\ (when WEB_SITE is given) and help\ into "C:\VireoTool-4 v.VERSION_TEXT" (the folder the program's
; help hint names), outside Program Files, because the program writes appconfig.ini into its
; working folder and the shortcuts make the install folder that working folder.
; Silent use: setup.exe /S [/D=C:\Other Folder]; Uninstall.exe /S.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
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

; Removes exactly what the installer put there. appconfig.ini is the user's own data:
; it stays, and with it the folder.
Section "Uninstall"
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
