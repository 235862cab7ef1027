; The Windows installer: a per-user install (no administrator rights) of the programs, the
; README and the licences, the .tvk movie type opened by tavikplay.exe, a Start menu folder and
; an uninstaller that takes all of it away again. Made by windows/make-package, which defines
; VERSION, STAGE (the folder of files to install), FILES and UNFILES (the generated lists of
; File and Delete commands) and OUTFILE.

; 64-bit, like the programs (and so it runs where only 64-bit programs run).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define APP "Tavik"
!define PROGID "Tavik.Movie"
!define CLASSES "Software\Classes"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavik"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

!define MUI_ICON "${STAGE}/tavik.ico"
!define MUI_UNICON "${STAGE}/tavik.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tavikplay-demo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Play the demo movie"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Explorer reads the associations again when told that they changed.
!macro AssociationsChanged
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

Section "Install"
  SetShellVarContext current
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The movie type: .tvk files open in the player, with the movie icon.
  WriteRegStr HKCU "${CLASSES}\.tvk" "" "${PROGID}"
  WriteRegStr HKCU "${CLASSES}\.tvk" "Content Type" "video/x-tavik"
  WriteRegStr HKCU "${CLASSES}\.tvk" "PerceivedType" "video"
  WriteRegStr HKCU "${CLASSES}\.tvk\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "Tavik movie"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\tavik.ico"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell" "" "open"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\tavikplay.exe" "%1"'
  WriteRegStr HKCU "${CLASSES}\Applications\tavikplay.exe\SupportedTypes" ".tvk" ""
  WriteRegStr HKCU "${CLASSES}\Applications\tavikplay.exe\shell\open\command" "" \
    '"$INSTDIR\tavikplay.exe" "%1"'
  !insertmacro AssociationsChanged

  CreateDirectory "$SMPROGRAMS\${APP}"
  CreateShortcut "$SMPROGRAMS\${APP}\Tavik demo.lnk" "$INSTDIR\tavikplay-demo.exe" "" \
    "$INSTDIR\tavik.ico"
  CreateShortcut "$SMPROGRAMS\${APP}\Tavik README.lnk" "$INSTDIR\README.txt"
  CreateShortcut "$SMPROGRAMS\${APP}\Uninstall Tavik.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP} ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavik.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; The type stays with whatever program took it over since; only our own entries go.
  ReadRegStr $0 HKCU "${CLASSES}\.tvk" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKCU "${CLASSES}\.tvk" ""
    DeleteRegValue HKCU "${CLASSES}\.tvk" "Content Type"
    DeleteRegValue HKCU "${CLASSES}\.tvk" "PerceivedType"
  ${EndIf}
  DeleteRegValue HKCU "${CLASSES}\.tvk\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.tvk\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "${CLASSES}\.tvk"
  DeleteRegKey HKCU "${CLASSES}\${PROGID}"
  DeleteRegKey HKCU "${CLASSES}\Applications\tavikplay.exe"
  !insertmacro AssociationsChanged

  Delete "$SMPROGRAMS\${APP}\Tavik demo.lnk"
  Delete "$SMPROGRAMS\${APP}\Tavik README.lnk"
  Delete "$SMPROGRAMS\${APP}\Uninstall Tavik.lnk"
  RMDir "$SMPROGRAMS\${APP}"

  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
