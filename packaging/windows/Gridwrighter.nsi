; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer: Chinese and English pages, a Start-menu entry, an
; uninstaller that removes exactly the files it installed, and /S for a
; silent install. makensis gets FILESET (the file set's folder), FILELIST and
; REMOVELIST (the File and Delete lines made from it) and OUTFILE.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Gridwrighter"
!define VERSION "2.3"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "Software\${PRODUCT}" "InstallDir"
RequestExecutionLevel admin

!define MUI_ICON "${FILESET}\vrq.ico"
!define MUI_UNICON "${FILESET}\vrq.ico"
!define MUI_ABORTWARNING
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Gridwrighter.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${FILESET}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString MenuProgram ${LANG_SIMPCHINESE} "Gridwrighter 批量修改工作簿"
LangString MenuProgram ${LANG_ENGLISH} "Gridwrighter"
LangString MenuUninstall ${LANG_SIMPCHINESE} "卸载 Gridwrighter"
LangString MenuUninstall ${LANG_ENGLISH} "Uninstall Gridwrighter"
LangString Needs64Bit ${LANG_SIMPCHINESE} "Gridwrighter 需要 64 位 Windows。"
LangString Needs64Bit ${LANG_ENGLISH} "Gridwrighter needs 64-bit Windows."
LangString StillRunning ${LANG_SIMPCHINESE} "Gridwrighter 正在运行。请先关闭 Gridwrighter（包括命令行的 gridwrighter-batch），然后点“重试”。"
LangString StillRunning ${LANG_ENGLISH} "Gridwrighter is running. Close it (and any gridwrighter-batch) first, then press Retry."

; The programs hold the named mutex "Gridwrighter.Running" while they run:
; their files cannot be replaced or removed until they have ended. A silent
; run gives up at once.
!macro WaitUntilClosed un
Function ${un}WaitUntilClosed
    ${Do}
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Gridwrighter.Running") p .r0'
        ${If} $0 == 0
            Return
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY +2
        Quit
    ${Loop}
FunctionEnd
!macroend
!insertmacro WaitUntilClosed ""
!insertmacro WaitUntilClosed "un."

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "$(Needs64Bit)" /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    !insertmacro MUI_LANGDLL_DISPLAY
    Call WaitUntilClosed
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MUI_UNGETLANGUAGE
    Call un.WaitUntilClosed
FunctionEnd

Section "Gridwrighter"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    !include "${FILELIST}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}\$(MenuProgram).lnk" "$INSTDIR\Gridwrighter.exe" "" "$INSTDIR\vrq.ico"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}\$(MenuUninstall).lnk" "$INSTDIR\Uninstall.exe"
    ; Both names, so that the uninstaller finds them whichever language installed.
    WriteRegStr HKLM "Software\${PRODUCT}" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "Software\${PRODUCT}" "MenuProgram" "$(MenuProgram)"
    WriteRegStr HKLM "Software\${PRODUCT}" "MenuUninstall" "$(MenuUninstall)"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vrq.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    ReadRegStr $0 HKLM "Software\${PRODUCT}" "MenuProgram"
    ReadRegStr $1 HKLM "Software\${PRODUCT}" "MenuUninstall"
    Delete "$SMPROGRAMS\${PRODUCT}\$0.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\$1.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    ; Only what was installed: settings or lists the user left in the folder stay.
    !include "${REMOVELIST}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "Software\${PRODUCT}"
SectionEnd
