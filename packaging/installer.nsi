; The installer of Brevduva Daraduder, in Swedish. Made by the dist target of the build:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DARCH=x86_64|i686 -DSTAGE=folder
;            -DICON=program.ico -DOUTFILE=setup.exe installer.nsi
; STAGE holds the four files it installs (packaging/make_zip.py puts them there).
; It installs for all users into Program Files, adds a Start-menu shortcut, offers the program
; under "Open with" for .rtf and .txt without taking over the default program, and registers
; its uninstaller. /S installs (and uninstalls) without a question.
; The uninstaller takes away what the installer put there and nothing else: the user's
; documents and settings (HKCU\Software\Brevduva Daraduder, and the recovery copies under
; %LOCALAPPDATA%\Brevduva Daraduder) stay.

Unicode true
!if ${ARCH} == x86_64
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!endif
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Brevduva Daraduder"
!define PUBLISHER "Vindelgruppen"
!define PROGRAM "brevduva.exe"
!define UNINSTALLER "avinstallera.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define APP_KEY "Software\Classes\Applications\${PROGRAM}"
!define PROGID "BrevduvaDaraduder.Dokument"
!define PROGID_KEY "Software\Classes\${PROGID}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1053 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1053 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1053 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1053 "FileDescription" "Installationsprogram för ${PRODUCT}"
VIAddVersionKey /LANG=1053 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1053 "LegalCopyright" "© 2024 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Swedish"

; The files, in one list for installing and for taking away.
!macro PROGRAM_FILES_LIST do
  !insertmacro ${do} "${PROGRAM}"
  !insertmacro ${do} "README.txt"
  !insertmacro ${do} "LÄSMIG.txt"
  !insertmacro ${do} "exempel.rtf"
!macroend
!macro FILE_INSTALL name
  File "${STAGE}/${name}"
!macroend
!macro FILE_REMOVE name
  Delete "$INSTDIR\${name}"
!macroend

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !insertmacro PROGRAM_FILES_LIST FILE_INSTALL
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 \
                 SW_SHOWNORMAL "" "Ordbehandlare för formaterad text"

  ; "Open with" for .rtf and .txt: the program and a document type of its own are offered;
  ; the default value of .rtf and .txt, the user's default program, is left as it is.
  WriteRegStr HKLM "${APP_KEY}" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr HKLM "${APP_KEY}\DefaultIcon" "" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKLM "${APP_KEY}\shell\open\command" "" '"$INSTDIR\${PROGRAM}" "%1"'
  WriteRegStr HKLM "${APP_KEY}\SupportedTypes" ".rtf" ""
  WriteRegStr HKLM "${APP_KEY}\SupportedTypes" ".txt" ""
  WriteRegStr HKLM "${PROGID_KEY}" "" "Dokument i ${PRODUCT}"
  WriteRegStr HKLM "${PROGID_KEY}\DefaultIcon" "" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKLM "${PROGID_KEY}\shell\open\command" "" '"$INSTDIR\${PROGRAM}" "%1"'
  WriteRegStr HKLM "Software\Classes\.rtf\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKLM "Software\Classes\.txt\OpenWithProgids" "${PROGID}" ""

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; the shell shows the new "Open with" entries without a restart
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; Deletes a key of ours only when nothing else is left in it (no value, no subkey).
!macro KEY_REMOVE_IF_EMPTY key
  EnumRegValue $0 HKLM "${key}" 0
  EnumRegKey $1 HKLM "${key}" 0
  ${If} $0 == ""
  ${AndIf} $1 == ""
    DeleteRegKey HKLM "${key}"
  ${EndIf}
!macroend

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !insertmacro PROGRAM_FILES_LIST FILE_REMOVE
  Delete "$INSTDIR\${UNINSTALLER}"
  ; a folder that still holds something of the user's stays, with it
  RMDir "$INSTDIR"

  DeleteRegValue HKLM "Software\Classes\.rtf\OpenWithProgids" "${PROGID}"
  DeleteRegValue HKLM "Software\Classes\.txt\OpenWithProgids" "${PROGID}"
  !insertmacro KEY_REMOVE_IF_EMPTY "Software\Classes\.rtf\OpenWithProgids"
  !insertmacro KEY_REMOVE_IF_EMPTY "Software\Classes\.txt\OpenWithProgids"
  DeleteRegKey HKLM "${PROGID_KEY}"
  DeleteRegKey HKLM "${APP_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
