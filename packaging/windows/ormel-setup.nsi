; The Windows installer of Ormel Compiler, built by packaging/windows/make-packages.sh:
;   makensis -DVERSION=1.0.0 -DPROGRAM_FOLDER=... -DFILE_LIST=... -DREMOVE_LIST=...
;            -DICON=... -DLICENSE=... -DOUTFILE=... ormel-setup.nsi
;
; The program folder is also the author's workspace: PRAY.exe, the agent
; folders and the packages live beside ormel.exe. So the installer installs
; for the current user only, into a folder that user owns, and needs no
; administrator. The author may also change the files it installs (the
; example agent is meant to be tried out in place): a file the author has
; changed is never overwritten or removed. An upgrade installs this
; version's file beside it as NAME.new, and the uninstaller keeps it; both
; say so in their details. The uninstaller removes only the files that are
; as the installer left them (REMOVE_LIST, made from the same program folder
; as FILE_LIST), and each folder only when that leaves it empty; the
; author's own files stay, through an upgrade too.
;
; "As installed" is the size and modification time that each installed file
; had when the installer wrote it, kept in the record Uninstall.ini beside
; the uninstaller. Editing a file changes its time, and NSIS can read both
; without plugins; Debian's NSIS has no hashing plugin, and a checksum
; computed in the script would read the 20 MB program one byte per script
; step. A file with no record, such as one from an unpacked ZIP, counts as
; the author's.

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
!include "LogicLib.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\ormel.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ormel-help.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help page"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Ormel Compiler works in its own folder: your PRAY.exe, your agent folders and the packages it builds live beside the program, so the folder must be one you can write to. Installing again into the same folder, or uninstalling, leaves them there, and keeps any of the program's files that you have changed."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!define RECORD "$INSTDIR\Uninstall.ini"

Var Name   ; a file's path in the program folder, as the package has it
Var Target ; the path under which it is installed or removed
Var Stamp  ; the size and modification time of $INSTDIR\$Target, or ""
Var Same   ; 1 when $INSTDIR\$Target is absent or as it was installed

!macro STAMP_FUNCTIONS UN
Function ${UN}ReadStamp
    StrCpy $Stamp ""
    ClearErrors
    GetFileTime "$INSTDIR\$Target" $0 $1
    ${IfNot} ${Errors}
        FileOpen $2 "$INSTDIR\$Target" r
        ${IfNot} ${Errors}
            FileSeek $2 0 END $3
            FileClose $2
            StrCpy $Stamp "$3 $0 $1"
        ${EndIf}
    ${EndIf}
FunctionEnd

Function ${UN}CheckAsInstalled
    StrCpy $Same 1
    ${If} ${FileExists} "$INSTDIR\$Target"
        ReadINIStr $4 "${RECORD}" "files" "$Target"
        Call ${UN}ReadStamp
        ${If} $Stamp == ""
        ${OrIf} $Stamp != $4
            StrCpy $Same 0
        ${EndIf}
    ${EndIf}
FunctionEnd
!macroend
!insertmacro STAMP_FUNCTIONS ""
!insertmacro STAMP_FUNCTIONS "un."

; Sets $Target to where this version's $Name goes: its own place, or beside
; it as $Name.new when the author has changed it, or "" when the author has
; changed both.
Function ChooseTarget
    StrCpy $Target "$Name"
    Call CheckAsInstalled
    ${If} $Same == 0
        StrCpy $Target "$Name.new"
        Call CheckAsInstalled
        ${If} $Same == 0
            DetailPrint "Kept $Name, which you have changed,"
            DetailPrint "and its .new too: this version's is not installed"
            StrCpy $Target ""
        ${Else}
            ; The next line of the details names the .new file.
            DetailPrint "Kept $Name, which you have changed"
        ${EndIf}
    ${EndIf}
FunctionEnd

!macro InstallFile SOURCE NAME
    StrCpy $Name "${NAME}"
    Call ChooseTarget
    ${If} $Target != ""
        File "/oname=$INSTDIR\$Target" "${SOURCE}"
        Call ReadStamp
        WriteINIStr "${RECORD}" "files" "$Target" "$Stamp"
    ${EndIf}
!macroend

Function un.RemoveIfAsInstalled
    Call un.CheckAsInstalled
    ${If} $Same == 1
        Delete "$INSTDIR\$Target"
    ${Else}
        DetailPrint "Kept $Target, which you have changed"
    ${EndIf}
FunctionEnd

!macro RemoveFile NAME
    StrCpy $Target "${NAME}"
    Call un.RemoveIfAsInstalled
!macroend

Section "Ormel Compiler"
    !include "${FILE_LIST}"
    FlushINI "${RECORD}"
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
    Delete "${RECORD}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
