; The VaroTimer installer. Built by scripts/make-dist.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0.4 -DSTAGE=<folder with the files>
;            -DICON=<app.ico> -DOUTFILE=<setup.exe> installer/VaroTimer.nsi
; Installs for every user of the PC; /S installs silently, /STARTUP also ticks
; the Startup shortcut. The uninstaller keeps the computer list and the
; schedule unless the user ticks their removal (or passes /REMOVEDATA).
;
; An upgrade or uninstall first ends the copy running in this session (its
; tray window is found even while the program is hidden in the tray) and an
; upgrade starts it again afterwards, as the user. Nothing is changed while a
; file to be replaced cannot be written; the files are swapped in with the
; old ones kept aside until every new one is in place, so a failure leaves
; the previous install whole and ends with a message (exit code 2 under /S).
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
; The program's hidden tray window: it exists while the program runs, shown
; or in the tray, and WM_CLOSE to it ends the program as its Exit command does.
!define TRAY_CLASS "VaroTimerTray"
; Copies from before that window had its class: their timer window and
; their exit command (only found while the window is shown).
!define TIMER_TITLE "電源タイマープログラム"
!define ID_APP_EXIT 57665
; New files are written here first, beside the ones they replace.
!define STAGING "~VaroTimer.new"
!define ERROR_ELEVATION_REQUIRED 740

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
Var Failure     ; why the install or uninstall stops; empty while all is well
Var Restart     ; 1 when a running copy was ended and must be started again
Var RunningDir  ; the folder the ended copy ran from

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

; Stops with a message unless the user is an administrator. Windows
; enforces "RequestExecutionLevel admin" only with UAC on; on XP as a limited
; user, or with UAC off, the installer would otherwise run and fail half-way.
!macro REQUIRE_ADMIN
  System::Call 'shell32::IsUserAnAdmin() i .r0'
  ${If} $0 = 0
    MessageBox MB_ICONSTOP|MB_OK "${PRODUCT} のインストールとアンインストールには管理者の権限が必要です。$\r$\n管理者のアカウントでログオンするか、右クリックの「管理者として実行」で起動してください。" /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

!macro INSTALLER_FUNCTIONS un
; Ends the copy that runs in this session and waits for its process to end,
; so that its files can be replaced or removed. Sets $Restart, $RunningDir;
; sets $Failure when the copy did not end.
Function ${un}CloseRunningCopy
  StrCpy $R1 "tray"
  FindWindow $R0 "${TRAY_CLASS}"
  ${If} $R0 = 0
    StrCpy $R1 "legacy"
    FindWindow $R0 "#32770" "${TIMER_TITLE}"
  ${EndIf}
  ${If} $R0 = 0
    Return
  ${EndIf}
  DetailPrint "実行中の ${PRODUCT} を終了しています..."
  System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R2) i'
  ; SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ
  System::Call 'kernel32::OpenProcess(i 0x100410, i 0, i R2) p .R3'
  StrCpy $R4 ""
  ${If} $R3 P<> 0
    StrCpy $R5 0
    System::Call 'kernel32::QueryFullProcessImageNameW(p R3, i 0, w .R4, *i ${NSIS_MAX_STRLEN}) i .R5'
    ${If} $R5 = 0  ; XP has no such call
      StrCpy $R5 0
      System::Call '$SYSDIR\psapi.dll::GetModuleFileNameExW(p R3, p 0, w .R4, i ${NSIS_MAX_STRLEN}) i .R5'
      ${IfThen} $R5 = 0 ${|} StrCpy $R4 "" ${|}
    ${EndIf}
  ${EndIf}
  ${If} $R1 == "tray"
    SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${Else}
    SendMessage $R0 ${WM_COMMAND} ${ID_APP_EXIT} 0 /TIMEOUT=5000
  ${EndIf}
  ${If} $R3 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p R3, i 60000) i .R5'
    System::Call 'kernel32::CloseHandle(p R3)'
  ${Else}
    ; No handle to wait on: wait for the window, then give the process a
    ; moment to let go of its files.
    StrCpy $R5 258
    ${For} $R6 1 240
      Sleep 250
      System::Call 'user32::IsWindow(p R0) i .R9'
      ${If} $R9 = 0
        StrCpy $R5 0
        Sleep 1000
        ${Break}
      ${EndIf}
    ${Next}
  ${EndIf}
  ${If} $R5 <> 0
    StrCpy $Failure "実行中の ${PRODUCT} を終了できませんでした。タスクトレイのアイコンを右クリックして「終了」を選んでから、もう一度実行してください。"
    Return
  ${EndIf}
  StrCpy $Restart 1
  ${If} $R4 != ""
    ${GetParent} $R4 $RunningDir
  ${EndIf}
FunctionEnd

; Sets $Failure when the file in $0 exists and cannot be opened for writing:
; a copy of the program runs from it in another user's session (which
; cannot be ended from here), or another program holds it open.
Function ${un}CheckWritable
  ${IfNot} ${FileExists} "$0"
    Return
  ${EndIf}
  ; GENERIC_WRITE, no sharing, OPEN_EXISTING: the file is not changed.
  System::Call 'kernel32::CreateFileW(w r0, i 0x40000000, i 0, p 0, i 3, i 0, p 0) p .r1 ?e'
  Pop $2
  ${If} $1 P<> -1
    System::Call 'kernel32::CloseHandle(p r1)'
    Return
  ${EndIf}
  ${GetFileName} "$0" $3
  ${If} $3 == "VaroTimer.exe"
  ${AndIf} $2 = 32  ; ERROR_SHARING_VIOLATION: the program runs
    StrCpy $Failure "${PRODUCT} が別のユーザーのセッションで実行中のため、$0 を置き換えられません。$\r$\nそのユーザーに ${PRODUCT} を終了してもらってから、もう一度実行してください。"
  ${Else}
    StrCpy $Failure "$0 に書き込めません (エラー $2)。$\r$\nほかのプログラムがこのファイルを開いていないか確かめて、もう一度実行してください。"
  ${EndIf}
FunctionEnd

; Shows $Failure and ends with exit code 2, changing nothing more.
Function ${un}StopOnFailure
  ${If} $Failure == ""
    Return
  ${EndIf}
  DetailPrint "$Failure"
  MessageBox MB_ICONSTOP|MB_OK "$Failure" /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd

!macroend
!insertmacro INSTALLER_FUNCTIONS ""
!insertmacro INSTALLER_FUNCTIONS "un."

; Starts the program as the logged-on user: the shell opens its Start menu
; shortcut, so it runs with the user's own rights (not the installer's
; elevated ones) and in the data folder, where the shortcut starts it.
Function StartProgram
  ${If} ${FileExists} "$SMPROGRAMS\${PRODUCT}.lnk"
    DetailPrint "${PRODUCT} を起動しています..."
    Exec '"$WINDIR\explorer.exe" "$SMPROGRAMS\${PRODUCT}.lnk"'
  ${EndIf}
FunctionEnd

; Calls a function for each file the installer puts in $INSTDIR, its name
; in $0, until one sets $Failure.
!macro FOR_EACH_PROGRAM_FILE function
  ${ForEach} $R7 0 3 + 1
    ${If} $Failure == ""
      ${Select} $R7
        ${Case} 0
          StrCpy $0 "VaroTimer.exe"
        ${Case} 1
          StrCpy $0 "VaroTimer.chm"
        ${Case} 2
          StrCpy $0 "sorel-ads.gif"
        ${Case} 3
          StrCpy $0 "${UNINSTALLER}"
      ${EndSelect}
      Call ${function}
    ${EndIf}
  ${Next}
!macroend

Function CheckOtherFileWritable
  ${If} $0 != "VaroTimer.exe"
    StrCpy $0 "$INSTDIR\$0"
    Call CheckWritable
  ${EndIf}
FunctionEnd

; The old file goes aside as <name>.old.
Function SetOldFileAside
  ${If} ${FileExists} "$INSTDIR\$0"
    ClearErrors
    Rename "$INSTDIR\$0" "$INSTDIR\$0.old"
    ${If} ${Errors}
      StrCpy $Failure "$INSTDIR\$0 を置き換えられませんでした。"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function MoveNewFileIn
  ClearErrors
  Rename "$INSTDIR\${STAGING}\$0" "$INSTDIR\$0"
  ${If} ${Errors}
    StrCpy $Failure "$INSTDIR\$0 を書き込めませんでした。"
  ${EndIf}
FunctionEnd

; Undoes the swap for one file: the new one, if it was moved in, goes; the
; old one comes back.
Function PutOldFileBack
  ${IfNot} ${FileExists} "$INSTDIR\${STAGING}\$0"
    Delete "$INSTDIR\$0"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\$0.old"
    Rename "$INSTDIR\$0.old" "$INSTDIR\$0"
  ${EndIf}
FunctionEnd

Function RemoveOldFile
  Delete "$INSTDIR\$0.old"
  ${If} ${FileExists} "$INSTDIR\$0.old"
    Delete /REBOOTOK "$INSTDIR\$0.old"
  ${EndIf}
FunctionEnd

; Offers to bring along the list of the copy that was running, when it ran
; from a folder of its own (a portable copy keeps its list beside it).
Function TakeOverPortableList
  ${If} $RunningDir == ""
  ${OrIf} $RunningDir == "$INSTDIR"
  ${OrIfNot} ${FileExists} "$RunningDir\varotimer.dat"
  ${OrIf} ${FileExists} "$DataDir\varotimer.dat"
    Return
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION "$RunningDir で実行されていた ${PRODUCT} のコンピューター一覧があります。$\r$\nインストールする ${PRODUCT} で、この一覧を引き続き使いますか?" /SD IDYES IDNO done
  ClearErrors
  CopyFiles /SILENT "$RunningDir\varotimer.dat" "$DataDir"
  ${If} ${Errors}
    MessageBox MB_ICONEXCLAMATION|MB_OK "一覧を $DataDir にコピーできませんでした。$\r$\n$RunningDir\varotimer.dat を手でコピーしてください。" /SD IDOK
  ${Else}
    DetailPrint "コンピューター一覧を引き継ぎました: $RunningDir\varotimer.dat"
  ${EndIf}
  done:
FunctionEnd

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
  ; Files held by another program stop the install before the user's
  ; program is ended; the program file itself only once it is.
  !insertmacro FOR_EACH_PROGRAM_FILE CheckOtherFileWritable
  Call StopOnFailure
  Call CloseRunningCopy
  Call StopOnFailure
  StrCpy $0 "$INSTDIR\VaroTimer.exe"
  Call CheckWritable
  Call StopOnFailure

  ; Leftovers of an install that was cut off.
  RMDir /r "$INSTDIR\${STAGING}"
  !insertmacro FOR_EACH_PROGRAM_FILE RemoveOldFile
  ClearErrors
  SetOutPath "$INSTDIR\${STAGING}"
  File "${STAGE}\VaroTimer.exe"
  File "${STAGE}\VaroTimer.chm"
  File "${STAGE}\sorel-ads.gif"
  WriteUninstaller "$INSTDIR\${STAGING}\${UNINSTALLER}"
  SetOutPath "$INSTDIR"
  ${If} ${Errors}
    RMDir /r "$INSTDIR\${STAGING}"
    StrCpy $Failure "新しいファイルを $INSTDIR\${STAGING} に書き込めませんでした。$\r$\n以前にインストールされていた ${PRODUCT} はそのまま残っています。"
    Call StopOnFailure
  ${EndIf}
  !insertmacro FOR_EACH_PROGRAM_FILE SetOldFileAside
  !insertmacro FOR_EACH_PROGRAM_FILE MoveNewFileIn
  ${If} $Failure != ""
    StrCpy $R8 $Failure
    StrCpy $Failure ""
    !insertmacro FOR_EACH_PROGRAM_FILE PutOldFileBack
    RMDir /r "$INSTDIR\${STAGING}"
    StrCpy $Failure "$R8$\r$\n以前にインストールされていた ${PRODUCT} はそのまま残っています。"
    Call StopOnFailure
  ${EndIf}
  !insertmacro FOR_EACH_PROGRAM_FILE RemoveOldFile
  RMDir "$INSTDIR\${STAGING}"

  CreateDirectory "$DataDir"
  ; A folder an administrator chose keeps the rights they gave it.
  ${If} $DataDir == "$APPDATA\Lumetra\${PRODUCT}"
    StrCpy $0 "$DataDir"
    Call GrantUsersModify
  ${EndIf}
  WriteRegStr HKLM "${PRODUCT_KEY}" "installpath" "$DataDir"
  Call TakeOverPortableList

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
  !insertmacro REQUIRE_ADMIN
  SetShellVarContext all
  SetRegView 32
  StrCpy $DataDir "$APPDATA\Lumetra\${PRODUCT}"
  ; A list where installpath already points (an earlier install, or a folder
  ; an administrator set) stays where it is, and the program keeps using it.
  ReadRegStr $0 HKLM "${PRODUCT_KEY}" "installpath"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\varotimer.dat"
    StrCpy $DataDir $0
  ${EndIf}
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

; The copy that was ended runs again, from the new files or, after a
; failure, from the old ones, which are still whole.
Function .onInstSuccess
  ${If} $Restart = 1
    Call StartProgram
  ${EndIf}
FunctionEnd

Function .onInstFailed
  ${If} $Restart = 1
    Call StartProgram
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT} 本体" UnSecProgram
  SectionIn RO
  Call un.CloseRunningCopy
  Call un.StopOnFailure
  StrCpy $0 "$INSTDIR\VaroTimer.exe"
  Call un.CheckWritable
  Call un.StopOnFailure
  ; The program first: while it cannot go, nothing else does, and the entry
  ; in Programs and Features stays for another try.
  ${ForEach} $R7 0 2 + 1
    ${Select} $R7
      ${Case} 0
        StrCpy $0 "VaroTimer.exe"
      ${Case} 1
        StrCpy $0 "VaroTimer.chm"
      ${Case} 2
        StrCpy $0 "sorel-ads.gif"
    ${EndSelect}
    Delete "$INSTDIR\$0"
    ${If} ${FileExists} "$INSTDIR\$0"
      StrCpy $Failure "$INSTDIR\$0 を削除できませんでした。$\r$\nほかのプログラムがこのファイルを開いていないか確かめて、もう一度アンインストールしてください。"
      Call un.StopOnFailure
    ${EndIf}
  ${Next}
  Delete "$INSTDIR\${UNINSTALLER}"
  ; What an install that was cut off may have left.
  RMDir /r "$INSTDIR\${STAGING}"
  Delete "$INSTDIR\VaroTimer.exe.old"
  Delete "$INSTDIR\VaroTimer.chm.old"
  Delete "$INSTDIR\sorel-ads.gif.old"
  Delete "$INSTDIR\${UNINSTALLER}.old"
  RMDir "$INSTDIR"
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
  ; The schedule in the Windows folder and the last banner download.
  Delete "$WINDIR\VaroTimer.INI"
  Delete "$WINDIR\Temp\test.gif"
  ; What Windows diverted into each user's virtual store (Vista and later)
  ; when a standard user's program wrote there: every profile's, not only
  ; the uninstalling user's.
  StrCpy $R1 "$INSTDIR" "" 3  ; the program's folder without its drive
  StrCpy $R0 0
  ${Do}
    EnumRegKey $R2 HKLM "Software\Microsoft\Windows NT\CurrentVersion\ProfileList" $R0
    ${IfThen} $R2 == "" ${|} ${Break} ${|}
    IntOp $R0 $R0 + 1
    ReadRegStr $R3 HKLM "Software\Microsoft\Windows NT\CurrentVersion\ProfileList\$R2" "ProfileImagePath"
    ${IfThen} $R3 == "" ${|} ${Continue} ${|}
    ExpandEnvStrings $R3 "$R3"
    StrCpy $R3 "$R3\AppData\Local\VirtualStore"
    Delete "$R3\Windows\VaroTimer.INI"
    Delete "$R3\Windows\Temp\test.gif"
    Delete "$R3\$R1\sorel-ads.gif"
    RMDir "$R3\$R1"
  ${Loop}
SectionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMIN
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
