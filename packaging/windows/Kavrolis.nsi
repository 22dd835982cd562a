; The Kavrolis installer: the program, a Start-menu shortcut that starts in
; the suite's work directory, and an uninstaller. The work directory proposed
; is the published one, else a shared folder every user may write.
; makensis -DVERSION=x.y.z -DEXE=path\Kavrolis.exe -DCLI=path\kvrcfg.exe -DREADME=path\README.txt
;          -DICON=path\Kavrolis.ico -DOUTFILE=path\setup.exe Kavrolis.nsi
; A silent installation takes the work directory from the command line:
;   setup.exe /S /WORKDIR=C:\Suite [/D=C:\Program Files\Kavrolis]
Unicode true
!ifdef TARGET
  Target ${TARGET}  ; amd64-unicode to try the installer under a 64-bit Wine
!endif
!include "MUI2.nsh"
!include "FileFunc.nsh"

!ifndef VERSION
  !error "VERSION is not defined"
!endif

Name "Kavrolis ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Kavrolis"
InstallDirRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kavrolis" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Kavrolis"
VIAddVersionKey /LANG=0 "FileDescription" "Kavrolis installer"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Kavrolis"

Var WorkDir
Var SharedDir  ; the machine's shared program data folder for Kavrolis

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY

; The suite's work directory: the shortcut starts the editor there, where it
; keeps KVRCFG.
!define MUI_PAGE_HEADER_TEXT "$(WorkDirTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(WorkDirSubtitle)"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(WorkDirText)"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(WorkDirLabel)"
!define MUI_DIRECTORYPAGE_VARIABLE $WorkDir
!define MUI_DIRECTORYPAGE_VERIFYONLEAVE
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "TradChinese"
!insertmacro MUI_LANGUAGE "English"

LangString WorkDirTitle ${LANG_TRADCHINESE} "選擇工作目錄"
LangString WorkDirTitle ${LANG_ENGLISH} "Choose the work directory"
LangString WorkDirSubtitle ${LANG_TRADCHINESE} "Kavrolis 在此目錄中保存 KVRCFG。"
LangString WorkDirSubtitle ${LANG_ENGLISH} "Kavrolis keeps KVRCFG in this directory."
LangString WorkDirText ${LANG_TRADCHINESE} "請選擇系統的工作目錄。「開始」功能表中的捷徑會在此目錄啟動 Kavrolis，KVRCFG 即存放於此。"
LangString WorkDirText ${LANG_ENGLISH} "Choose the suite's work directory. The Start-menu shortcut starts Kavrolis there, and KVRCFG lives there."
LangString WorkDirLabel ${LANG_TRADCHINESE} "工作目錄"
LangString WorkDirLabel ${LANG_ENGLISH} "Work directory"
LangString UninstallLink ${LANG_TRADCHINESE} "解除安裝 Kavrolis"
LangString UninstallLink ${LANG_ENGLISH} "Uninstall Kavrolis"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kavrolis"

Function .onInit
  ; The work directory the suite already uses: the one the editor published
  ; (as the 32-bit editor does, in the 32-bit view of the registry). Else a
  ; folder of the machine's shared program data, which the installation lets
  ; every user write (the program folder would not: ordinary users cannot
  ; write under Program Files).
  SetShellVarContext all
  StrCpy $SharedDir "$APPDATA\Kavrolis"
  ReadRegStr $WorkDir HKLM "SOFTWARE" "KVRPath"
  StrCmp $WorkDir "" 0 +2
    StrCpy $WorkDir $SharedDir
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/WORKDIR=" $1
  IfErrors +2
    StrCpy $WorkDir $1
FunctionEnd

Section "Kavrolis"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=Kavrolis.exe" "${EXE}"
  File "/oname=kvrcfg.exe" "${CLI}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$WorkDir"
  ; The proposed shared folder: every user of the machine (the Users group,
  ; by its well-known SID) may change what is in it, KVRCFG included.
  StrCmp $WorkDir $SharedDir 0 +2
    nsExec::Exec 'icacls "$WorkDir" /grant *S-1-5-32-545:(OI)(CI)M'
  CreateDirectory "$SMPROGRAMS\Kavrolis"
  ; A shortcut starts in the output path in force when it is made.
  SetOutPath "$WorkDir"
  CreateShortcut "$SMPROGRAMS\Kavrolis\Kavrolis.lnk" "$INSTDIR\Kavrolis.exe" "" "$INSTDIR\Kavrolis.exe" 0
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Kavrolis\$(UninstallLink).lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kavrolis"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Kavrolis"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kavrolis.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "WorkDir" "$WorkDir"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put down. The work directory, its KVRCFG and the
; registry values the editor published are the suite's and stay.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Kavrolis\*.lnk"
  RMDir "$SMPROGRAMS\Kavrolis"
  Delete "$INSTDIR\Kavrolis.exe"
  Delete "$INSTDIR\kvrcfg.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
