; The VaroTimer installer. Built by scripts/make-dist.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0.4 -DSTAGE=<folder with the files>
;            -DICON=<app.ico> -DOUTFILE=<setup.exe> installer/VaroTimer.nsi
; Installs for every user of the PC; /S installs silently, /STARTUP also ticks
; the Startup shortcut. The uninstaller keeps the computer list and the
; schedule unless the user ticks their removal (or passes /REMOVEDATA).
;
; The list file lives in a per-machine data folder under the common
; application data folder, which the installer makes writable for Users:
; Program Files is read-only for them, and the list is one per PC (its
; folder comes from HKLM). The shortcuts start the program in that folder,
; so ".\varotimer.dat" lands there too when a user may not open the key.

Unicode true
ManifestSupportedOS all
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PRODUCT "VaroTimer"
!define PUBLISHER "Lumetra"
!define PRODUCT_KEY "Software\Lumetra\VaroTimer"
!define MAKER_KEY "Software\Lumetra"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VaroTimer"
!define UNINSTALLER "uninstall.exe"
; The timer window and the program's own exit command.
!define TIMER_TITLE "電源タイマープログラム"
!define ID_APP_EXIT 57665

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

Var DataDir

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Ends a copy that runs in this session through its own exit command, so
; that its files can be replaced or removed. Copies of other users stay:
; the uninstaller then removes their files at the next restart, and an
; install cannot replace a program file they hold (NSIS says so and offers
; to retry).
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
  FindWindow $0 "#32770" "${TIMER_TITLE}"
  ${If} $0 = 0
    Return
  ${EndIf}
  DetailPrint "実行中の ${PRODUCT} を終了しています..."
  SendMessage $0 ${WM_COMMAND} ${ID_APP_EXIT} 0 /TIMEOUT=5000
  ${For} $1 1 40
    Sleep 250
    FindWindow $0 "#32770" "${TIMER_TITLE}"
    ${IfThen} $0 = 0 ${|} ${Break} ${|}
  ${Next}
  ; The window goes first; give the process a moment to let go of its file.
  Sleep 1000
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

; Adds "Users may modify" (inherited by files made inside) to the folder in
; $0. Without it the first user to save the list would own the file and
; every other user could only read it.
Function GrantUsersModify
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "D:(A;OICI;0x1301bf;;;BU)", i 1, *p .r1, p 0) i .r2'
  ${If} $2 = 0
    DetailPrint "アクセス許可を設定できませんでした: $0"
    Return
  ${EndIf}
  System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r3, *p .r4, *i .r5) i .r2'
  ; SE_FILE_OBJECT, DACL_SECURITY_INFORMATION; the inherited entries stay.
  System::Call 'advapi32::SetNamedSecurityInfoW(w r0, i 1, i 4, p 0, p 0, p r4, p 0) i .r2'
  System::Call 'kernel32::LocalFree(p r1)'
  ${If} $2 <> 0
    DetailPrint "アクセス許可を設定できませんでした ($2): $0"
  ${EndIf}
FunctionEnd

Section "${PRODUCT} 本体" SecProgram
  SectionIn RO
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  File "${STAGE}\VaroTimer.exe"
  File "${STAGE}\VaroTimer.chm"
  File "${STAGE}\sorel-ads.gif"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "$DataDir"
  StrCpy $0 "$DataDir"
  Call GrantUsersModify
  WriteRegStr HKLM "${PRODUCT_KEY}" "installpath" "$DataDir"

  ; Shortcuts take the output folder as their working directory.
  SetOutPath "$DataDir"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\VaroTimer.exe" "" "$INSTDIR\VaroTimer.exe" 0
  ; A Startup shortcut only while its box is ticked (the next section).
  Delete "$SMSTARTUP\${PRODUCT}.lnk"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VaroTimer.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "ログオン時に起動する (スタートアップ)" SecStartup
  SetOutPath "$DataDir"
  CreateShortCut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\VaroTimer.exe" "" "$INSTDIR\VaroTimer.exe" 0
SectionEnd

Function .onInit
  SetShellVarContext all
  SetRegView 32
  StrCpy $DataDir "$APPDATA\Lumetra\${PRODUCT}"
  ; An update keeps the Startup choice made before.
  ${If} ${FileExists} "$SMSTARTUP\${PRODUCT}.lnk"
    SectionSetFlags ${SecStartup} ${SF_SELECTED}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecStartup} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT} 本体" UnSecProgram
  SectionIn RO
  Call un.CloseRunningCopy
  Delete /REBOOTOK "$INSTDIR\VaroTimer.exe"
  Delete /REBOOTOK "$INSTDIR\VaroTimer.chm"
  Delete /REBOOTOK "$INSTDIR\sorel-ads.gif"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir /REBOOTOK "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.設定とコンピューター一覧も削除する" UnSecData
  Delete "$DataDir\varotimer.dat"
  ; The copies kept of lists that could not be read, and a save's leftovers.
  Delete "$DataDir\varotimer.dat*.bak"
  Delete "$DataDir\vt~*.tmp"
  RMDir "$DataDir"
  RMDir "$APPDATA\Lumetra"
  ; The schedule: the Windows folder, or this user's virtual store of it.
  Delete "$WINDIR\VaroTimer.INI"
  SetShellVarContext current
  Delete "$LOCALAPPDATA\VirtualStore\Windows\VaroTimer.INI"
  SetShellVarContext all
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 32
  ; The folder the installer chose, read before the key goes.
  ReadRegStr $DataDir HKLM "${PRODUCT_KEY}" "installpath"
  ${If} $DataDir == ""
    StrCpy $DataDir "$APPDATA\Lumetra\${PRODUCT}"
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecData} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
