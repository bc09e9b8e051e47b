; The Windows installer of Ormel Compiler, built by packaging/windows/make-packages.sh:
;   makensis -DVERSION=1.0.0 -DPROGRAM_FOLDER=... -DFILE_LIST=... -DREMOVE_LIST=...
;            -DICON=... -DLICENSE=... -DOUTFILE=... ormel-setup.nsi
;
; The program folder is also the author's workspace: PRAY.exe, the agent
; folders and the packages live beside ormel.exe. So the installer installs
; for the current user only, into a folder that user owns, and needs no
; administrator. Its uninstaller removes exactly the files that the installer
; put there (REMOVE_LIST, made from the same program folder as FILE_LIST)
; and each folder only when that leaves it empty; the author's files stay,
; through an upgrade too.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define NAME "Ormel Compiler"
!define PUBLISHER "the Ormel Compiler authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"
!define SHORTCUT "$SMPROGRAMS\${NAME}.lnk"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
; An upgrade goes into the folder of the earlier install.
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${NAME}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${NAME} ${VERSION} Setup"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\ormel.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ormel-help.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help page"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Ormel Compiler works in its own folder: your PRAY.exe, your agent folders and the packages it builds live beside the program, so the folder must be one you can write to. Installing again into the same folder, or uninstalling, leaves them there."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Ormel Compiler"
    !include "${FILE_LIST}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortCut "${SHORTCUT}" "$INSTDIR\ormel.exe" "" "$INSTDIR\ormel.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ormel.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
    !include "${REMOVE_LIST}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
