; The installer of Mervane. scripts/package.sh builds it:
;   makensis /DVERSION=a.b.c.d /DEXE=path\Mervane.exe /DREADME=... /DINIEXAMPLE=... /DOUTFILE=... Mervane.nsi
; with /DAMD64 for an x86_64 build that only the tests use (no machine here runs
; 32-bit code, so the shipped x86 installer cannot be run here).
;
; Command line: /S silent; /AUTOSTART=1 start at logon for all users;
; /START=1 start Mervane when the silent install is done; /D=folder.

!ifndef VERSION | EXE | README | INIEXAMPLE | OUTFILE
  !error "define VERSION, EXE, README, INIEXAMPLE and OUTFILE"
!endif

Unicode true
!ifdef AMD64
  Target amd64-unicode
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define PRODUCT "OSTREL(R) Mervane"
!define PUBLISHER "Ostrel Software"
; The main window's caption, which the running program is found by.
!define WINDOW_CAPTION "${PRODUCT} ${VERSION}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mervane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Mervane's event source in the Application log; SYSTEM is the same key for
; 32-bit and 64-bit programs. Its categories: the count in res/MervaneEvents.mc.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Mervane"
!define EVENT_CATEGORIES 7
!define WM_QUIT_MERVANE 1025

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
!ifdef AMD64
  InstallDir "$PROGRAMFILES64\Mervane"
!else
  InstallDir "$PROGRAMFILES\Mervane"
!endif
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Mervane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Mervane now"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The Run value is the one the program itself writes: on 64-bit Windows in
; the 64-bit view, which the program reads.
!macro RunKeyView
  !ifndef AMD64
    ${If} ${RunningX64}
      SetRegView 64
    ${EndIf}
  !endif
!macroend
!macro DefaultView
  !ifndef AMD64
    SetRegView 32
  !endif
!macroend

; A running Mervane ends, saving its settings, at WM_USER + 1; no process is killed.
!macro EndMervane un
  Function ${un}EndMervane
    Push $0
    Push $1
    Push $2
    FindWindow $0 "TForm1" "${WINDOW_CAPTION}"
    ${If} $0 <> 0
      ; The window goes before the process lets go of its file, seconds before on
      ; a slow or busy machine, and a file still in use is neither replaced nor
      ; deleted: so wait for the process itself (SYNCHRONIZE access).
      System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
      System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
      SendMessage $0 ${WM_QUIT_MERVANE} 0 0 $1 /TIMEOUT=5000
      ${If} $2 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r2, i 30000)'
        System::Call 'kernel32::CloseHandle(p r2)'
      ${Else}
        StrCpy $1 0
        ${Do}
          Sleep 200
          IntOp $1 $1 + 1
          FindWindow $0 "TForm1" "${WINDOW_CAPTION}"
          ${If} $0 = 0
          ${OrIf} $1 >= 50
            ${ExitDo}
          ${EndIf}
        ${Loop}
        Sleep 1000
      ${EndIf}
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
  FunctionEnd
!macroend
!insertmacro EndMervane ""
!insertmacro EndMervane "un."

Section "Mervane" SecProgram
  SectionIn RO
  SetShellVarContext all
  Call EndMervane
  SetOutPath "$INSTDIR"
  File "/oname=Mervane.exe" "${EXE}"
  File "/oname=Readme.ENU.txt" "${README}"
  File "/oname=Mervane.ini.example" "${INIEXAMPLE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Mervane.lnk" "$INSTDIR\Mervane.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Mervane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\Mervane.exe"
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "CategoryMessageFile" "$INSTDIR\Mervane.exe"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "CategoryCount" ${EVENT_CATEGORIES}
  ; Error, warning and information.
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
SectionEnd

Section /o "Start Mervane at logon for all users" SecAutostart
  !insertmacro RunKeyView
  WriteRegStr HKLM "${RUN_KEY}" "Mervane" '"$INSTDIR\Mervane.exe"'
  !insertmacro DefaultView
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Mervane.exe, its guide and an example of the common settings file."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "Starts Mervane whenever any user logs on."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Installing Mervane needs administrator rights." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 == "1"
    SectionSetFlags ${SecAutostart} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ${If} ${Silent}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/START=" $R1
    ${IfNot} ${Errors}
    ${AndIf} $R1 == "1"
      Exec '"$INSTDIR\Mervane.exe"'
    ${EndIf}
  ${EndIf}
FunctionEnd

; un.DeleteRunValue ROOT: deletes the Run value when it starts this installation.
!macro DeleteRunValue root
  ReadRegStr $0 ${root} "${RUN_KEY}" "Mervane"
  ${If} $0 == '"$INSTDIR\Mervane.exe"'
  ${OrIf} $0 == "$INSTDIR\Mervane.exe"
    DeleteRegValue ${root} "${RUN_KEY}" "Mervane"
  ${EndIf}
!macroend

Function un.onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Removing Mervane needs administrator rights." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
FunctionEnd

; Each user's settings and log under %APPDATA%\Ostrel Software\Mervane stay.
Section "Uninstall"
  SetShellVarContext all
  Call un.EndMervane
  Delete "$INSTDIR\Mervane.exe"
  Delete "$INSTDIR\Readme.ENU.txt"
  Delete "$INSTDIR\Mervane.ini.example"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Mervane.lnk"
  !insertmacro RunKeyView
  !insertmacro DeleteRunValue HKLM
  !insertmacro DefaultView
  !insertmacro DeleteRunValue HKCU
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
SectionEnd
