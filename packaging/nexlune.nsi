; Nexlune's setup program: installs for the current user only, without
; administrator rights, into %LOCALAPPDATA%\Programs\Nexlune, with a Start
; menu shortcut and an entry in the list of installed programs.
; scripts/package.sh builds it once for each program:
;   makensis -INPUTCHARSET UTF8 -DARCH=win32|win64 -DVERSION=4.0 -DVERSION4=4.0.0.0
;            -DPROGRAM=nexlune.exe -DUSAGE=usage.txt -DOUTFILE=setup.exe [-DICON=nexlune.ico] nexlune.nsi
; /S installs and uninstalls silently.
;
; A running Nexlune keeps its file: installing over it then stops at the file
; with a retry box, and uninstalling leaves it and its folder behind.

!ifndef ARCH | VERSION | VERSION4 | PROGRAM | USAGE | OUTFILE
  !error "ARCH, VERSION, VERSION4, PROGRAM, USAGE and OUTFILE must be defined (-D)"
!endif

Unicode true
!if "${ARCH}" == "win64"
  ; The 64-bit program gets a 64-bit setup program: it runs where the program does.
  Target amd64-unicode
!else if "${ARCH}" != "win32"
  !error "ARCH is win32 or win64, not ${ARCH}"
!endif

!define APP "Nexlune"
!define PUBLISHER "Vorpa"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define USAGE_NAME "使用说明.txt"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all
BrandingText "${APP} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!include "MUI2.nsh"
!include "FileFunc.nsh"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\nexlune.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${USAGE_NAME}"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "查看使用说明"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION4}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${APP} ${VERSION} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "© ${PUBLISHER}"

Section "${APP}"
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=nexlune.exe" "${PROGRAM}"
  File "/oname=${USAGE_NAME}" "${USAGE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\nexlune.exe" "" "$INSTDIR\nexlune.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\nexlune.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Only what the setup put there, and the folder once it is empty: a folder
; the user chose may hold other files. The settings in Documents stay.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "$INSTDIR\nexlune.exe"
  Delete "$INSTDIR\${USAGE_NAME}"
  Delete "$INSTDIR\Restart.bat"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
