; The Veltrix setup and its uninstaller unins000.exe, one script for both architectures.
; installer/CMakeLists.txt runs makensis with these defines:
;   VERSION   the version, as project(VERSION) gives it
;   BITS      32 or 64
;   FILES     folder with the files of an installation, as released
;   RELEASE_FILES  an include whose macro ForEachReleaseFile names each of those files
;   DRIVER    the driver file, installed as system32\drivers\<service name>.sys
;   VTX_...   the system's names, as driver/core/names.h gives them: the service, its key and
;             the values under it, the guard objects that IsRunning looks for, the event source
;   OUTFILE   the setup to write
;   OTHERSETUP  the 64-bit setup's file name, named by the 32-bit one on 64-bit Windows
;   ICON      the program's icon
;   SIGN      (optional) a command that signs the file named after it in place
;
; /AUDIT=1 turns the audit trail on, /AUDIT=0 off; without it a run keeps the switch as it finds
; it, and a new installation starts with it off.
;
; The setup works with administrative rights: driver file, program files, data\ with an access
; list of its own, the service through vtxlib32's exports, the installation folder in the
; service's key, the uninstaller, a Start-menu shortcut and the Apps and Features entry. A step
; that fails undoes what the run did before it.
; Silent (/S): exit code 0 on success; 2 when Veltrix is running; 3 when something failed.

Unicode true
!if ${BITS} == 64
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!ifdef SIGN
  !finalize '${SIGN} "%1"'
  !uninstfinalize '${SIGN} "%1"'
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include "${RELEASE_FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Veltrix"
!define DRIVER_NAME "${VTX_SERVICE_NAME}.sys"
!define DRIVER_FILE "$SYSDIR\drivers\${DRIVER_NAME}"
!define EXIT_RUNNING 2
!define EXIT_FAILED 3

; The access lists of the installation, with their masks named. The folder belongs to
; administrators wherever it is (outside Program Files it would inherit "Authenticated Users:
; Modify", and anyone could replace what an administrator runs from it); data\ holds the password
; and the lists, for SYSTEM and Administrators only. Both are protected (nothing inherited from
; above), owned by Administrators and inherited by everything inside.
!define FILE_ALL_ACCESS 0x001F01FF
!define FILE_GENERIC_READ_EXECUTE 0x001200A9   ; FILE_GENERIC_READ | FILE_GENERIC_EXECUTE
!define INSTDIR_SDDL "O:BAD:P(A;OICI;${FILE_ALL_ACCESS};;;SY)(A;OICI;${FILE_ALL_ACCESS};;;BA)(A;OICI;${FILE_GENERIC_READ_EXECUTE};;;BU)"
!define DATA_SDDL "O:BAD:P(A;OICI;${FILE_ALL_ACCESS};;;SY)(A;OICI;${FILE_ALL_ACCESS};;;BA)"

Name "Veltrix"
Caption "Veltrix ${VERSION} Setup"
OutFile "${OUTFILE}"
!if ${BITS} == 64
  !define DEFAULT_DIR "$PROGRAMFILES64\Veltrix"
!else
  !define DEFAULT_DIR "$PROGRAMFILES\Veltrix"
!endif
InstallDir "${DEFAULT_DIR}"
BrandingText "Veltrix ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Veltrix"
VIAddVersionKey /LANG=1033 "FileDescription" "Veltrix Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 the Veltrix developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vtx.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Veltrix"
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_SHOW AuditBoxShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE AuditBoxLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
; Cancel in the uninstaller: the driver that vtx.exe stopped for it runs again.
!define MUI_CUSTOMFUNCTION_UNABORT un.StartDriverAgain
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; What this run found and did, for undoing it when a later step fails.
Var Upgrade          ; 1: the service existed before this run
Var WasRunning       ; 1: and it was running
Var PlacedFiles      ; 1: program files written (the old ones, if any, are in $PLUGINSDIR\old)
Var PlacedDriver     ; 1: the driver file written
Var CreatedService   ; 1: the service created by this run
Var CreatedDataDir   ; 1: data\ created by this run
Var CreatedEventSource ; 1: the event source's key created by this run

; ---------------------------------------------------------------------------------------------
; Shared by the setup and the uninstaller.

; What is done with each file of an installation (ForEachReleaseFile).
!macro PlaceReleaseFile NAME
  File "${FILES}\${NAME}"
!macroend
!macro KeepReleaseFileAside NAME
  CopyFiles /SILENT "$INSTDIR\${NAME}" "$PLUGINSDIR\old"
!macroend
!macro DeleteReleaseFile NAME
  Delete "$INSTDIR\${NAME}"
!macroend

; Calls one export of vtxlib32.dll (no arguments, int result): ServiceCall <dll> <export> <$var>.
; Loaded and freed around the call, so that the file is never held afterwards.
!macro ServiceCall DLL EXPORT RESULT
  Push $R8
  Push $R9
  StrCpy ${RESULT} 0
  System::Call 'kernel32::LoadLibraryW(w "${DLL}") p .R8'
  ${If} $R8 P<> 0
    System::Call 'kernel32::GetProcAddress(p R8, m "${EXPORT}") p .R9'
    ${If} $R9 P<> 0
      System::Call '::$R9() i .R9'
      StrCpy ${RESULT} $R9
    ${EndIf}
    System::Call 'kernel32::FreeLibrary(p R8)'
  ${EndIf}
  Pop $R9
  Pop $R8
!macroend

; Sets $0 to 1 while vtx.exe or vtxctl.exe runs, as the programs see each other: the session's
; mutex; the mutex in the private namespace whose boundary is the Administrators group, which no
; standard account can create; and the global mutex, where the system has no private namespaces
; (Wine), when an administrator or the system owns it. Such an object of any other owner, or one
; that keeps administrators out, is a squatter's: passed by.
!macro IsRunning UN
Function ${UN}IsRunning
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 0
  ; SYNCHRONIZE (0x00100000) is all it takes to open a mutex.
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${VTX_INSTANCE_MUTEX}") p .r1'
  ${If} $1 P<> 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $0 1
  ${EndIf}

  ; Wine 8's CreateBoundaryDescriptorW gives no descriptor and its AddSIDToBoundaryDescriptor
  ; ends the process: that is called only on a descriptor. Older systems lack both.
  System::Call 'kernel32::GetModuleHandleW(w "kernel32.dll") p .r1'
  System::Call 'kernel32::GetProcAddress(p r1, m "CreateBoundaryDescriptorW") p .r2'
  ${If} $2 P<> 0
    System::Call 'kernel32::CreateBoundaryDescriptorW(w "${VTX_GUARD_NAMESPACE}", i 0) p .r2'
  ${EndIf}
  ${If} $2 P<> 0
    ; WinBuiltinAdministratorsSid (26), in SECURITY_MAX_SID_SIZE (68) bytes.
    System::Alloc 68
    Pop $3
    StrCpy $4 68
    System::Call 'advapi32::CreateWellKnownSid(i 26, p 0, p r3, *i r4) i .r1'
    ${If} $1 <> 0
      System::Call 'kernel32::AddSIDToBoundaryDescriptor(*p r2r2, p r3) i .r1'
    ${EndIf}
    ${If} $1 <> 0
      ; None open: nothing runs (a running one holds it open).
      System::Call 'kernel32::OpenPrivateNamespaceW(p r2, w "${VTX_GUARD_NAMESPACE}") p .r1'
      ${If} $1 P<> 0
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${VTX_GUARD_NAMESPACE_MUTEX}") p .r4'
        ${If} $4 P<> 0
          System::Call 'kernel32::CloseHandle(p r4)'
          StrCpy $0 1
        ${EndIf}
        System::Call 'kernel32::ClosePrivateNamespace(p r1, i 0)'
      ${EndIf}
    ${EndIf}
    System::Free $3
    System::Call 'kernel32::DeleteBoundaryDescriptor(p r2)'
  ${EndIf}

  ; SYNCHRONIZE and READ_CONTROL (0x00120000): the owner, through GetSecurityInfo with
  ; SE_KERNEL_OBJECT (6) and OWNER_SECURITY_INFORMATION (1). No owner reported (Wine 8), or none
  ; readable, leaves nothing to judge: the object counts.
  System::Call 'kernel32::OpenMutexW(i 0x00120000, i 0, w "${VTX_GLOBAL_INSTANCE_MUTEX}") p .r1'
  ${If} $1 P<> 0
    StrCpy $2 0
    StrCpy $3 0
    System::Call 'advapi32::GetSecurityInfo(p r1, i 6, i 1, *p .r2, p 0, p 0, p 0, *p .r3) i .r4'
    ${If} $4 <> 0
    ${OrIf} $2 P= 0
      StrCpy $0 1
    ${Else}
      ; WinBuiltinAdministratorsSid (26), WinLocalSystemSid (22).
      System::Call 'advapi32::IsWellKnownSid(p r2, i 26) i .r4'
      ${If} $4 <> 0
        StrCpy $0 1
      ${EndIf}
      System::Call 'advapi32::IsWellKnownSid(p r2, i 22) i .r4'
      ${If} $4 <> 0
        StrCpy $0 1
      ${EndIf}
    ${EndIf}
    ${If} $3 P<> 0
      System::Call 'kernel32::LocalFree(p r3)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro IsRunning ""
!insertmacro IsRunning "un."

!macro SetRegistryView
  !if ${BITS} == 64
    SetRegView 64
  !endif
!macroend

; ---------------------------------------------------------------------------------------------
; The setup.

Function .onInit
  !insertmacro SetRegistryView
  !if ${BITS} == 32
    ; The 32-bit driver cannot load in 64-bit Windows.
    ${If} ${RunningX64}
      MessageBox MB_OK|MB_ICONSTOP "This setup is for 32-bit Windows. On 64-bit Windows, run ${OTHERSETUP}." /SD IDOK
      SetErrorLevel ${EXIT_FAILED}
      Quit
    ${EndIf}
  !endif
  ; An installation that is there: the setup upgrades it in place. The service names one folder
  ; only, so a folder given with /D= that is another one is refused rather than leaving the
  ; first installation and its data\ behind.
  ReadRegStr $0 HKLM "${VTX_SERVICE_KEY}" "${VTX_INSTALL_DIR_VALUE}"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\vtx.exe"
  ${AndIf} $INSTDIR != $0
    ${If} $INSTDIR == "${DEFAULT_DIR}"
      StrCpy $INSTDIR $0
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "Veltrix is installed in $0. Uninstall it first to install it in $INSTDIR, or run the setup without /D= to upgrade it there." /SD IDOK
      SetErrorLevel ${EXIT_FAILED}
      Quit
    ${EndIf}
  ${EndIf}
  Call ReadAuditOption
FunctionEnd

; Tells what failed, undoes what this run did and ends with the failure's exit code.
!macro Fail TEXT
  DetailPrint "${TEXT}"
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}$\r$\nNothing was changed." /SD IDOK
  Call Undo
  SetErrorLevel ${EXIT_FAILED}
  Quit
!macroend

Function Undo
  DetailPrint "Undoing the changes of this setup"
  Call UndoEventSource
  ${If} $Upgrade == 1
    ; Back to the installation as it was: its files, its driver, its service state.
    ${If} $PlacedFiles == 1
    ${OrIf} $PlacedDriver == 1
      !insertmacro ServiceCall "$PLUGINSDIR\vtxlib32.dll" vtxStop $0
    ${EndIf}
    ${If} $PlacedFiles == 1
      CopyFiles /SILENT "$PLUGINSDIR\old\*.*" "$INSTDIR"
    ${EndIf}
    ${If} $PlacedDriver == 1
    ${AndIf} ${FileExists} "$PLUGINSDIR\old-driver\${DRIVER_NAME}"
      CopyFiles /SILENT "$PLUGINSDIR\old-driver\${DRIVER_NAME}" "$SYSDIR\drivers"
    ${EndIf}
    ${If} $WasRunning == 1
      !insertmacro ServiceCall "$PLUGINSDIR\vtxlib32.dll" vtxStart $0
    ${EndIf}
    Return
  ${EndIf}
  ${If} $CreatedService == 1
    !insertmacro ServiceCall "$INSTDIR\vtxlib32.dll" vtxStop $0
    !insertmacro ServiceCall "$INSTDIR\vtxlib32.dll" vtxDelete $0
  ${EndIf}
  ${If} $PlacedDriver == 1
    Delete "${DRIVER_FILE}"
  ${EndIf}
  ${If} $PlacedFiles == 1
    !insertmacro ForEachReleaseFile DeleteReleaseFile
  ${EndIf}
  ${If} $CreatedDataDir == 1
    RMDir "$INSTDIR\data"
  ${EndIf}
  RMDir "$INSTDIR"
FunctionEnd

; Veltrix as a source of the Application log: Event Viewer reads the events' texts from the
; message table in vtx.exe. Information, warning and error events (7). The key is this run's own
; only when it was not there before: an upgrade's undo keeps the one it found.
Function RegisterEventSource
  ClearErrors
  EnumRegValue $0 HKLM "${VTX_EVENT_SOURCE_KEY}" 0
  ${If} ${Errors}
    StrCpy $CreatedEventSource 1
  ${EndIf}
  WriteRegExpandStr HKLM "${VTX_EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\vtx.exe"
  WriteRegDWORD HKLM "${VTX_EVENT_SOURCE_KEY}" "TypesSupported" 7
FunctionEnd

Function UndoEventSource
  ${If} $CreatedEventSource == 1
    DeleteRegKey HKLM "${VTX_EVENT_SOURCE_KEY}"
  ${EndIf}
FunctionEnd

Function WineAdaptation
  ; Wine, unlike Windows, needs two changes to the service before it first starts; the setup
  ; tells Wine by ntdll's export wine_get_version, which Windows' ntdll does not have.
  System::Call 'kernel32::GetModuleHandleW(w "ntdll.dll") p .r0'
  System::Call 'kernel32::GetProcAddress(p r0, m "wine_get_version") p .r0'
  ${If} $0 P= 0
    Return
  ${EndIf}
  DetailPrint "Adapting the service to Wine"
  ; - Wine's driver loader does not load a driver from an image path relative to the Windows
  ;   folder (status c0000142), as vtxCreate writes it; the absolute path of the same file loads.
  ;   The path goes in through the service manager, so that its own copy of the configuration
  ;   and the registry agree.
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 0xF003F) p .r1'
  System::Call 'advapi32::OpenServiceW(p r1, w "${VTX_SERVICE_NAME}", i 0xF01FF) p .r2'
  System::Call 'advapi32::ChangeServiceConfigW(p r2, i -1, i -1, i -1, w "${DRIVER_FILE}", p 0, p 0, p 0, p 0, p 0, p 0) i .r0'
  System::Call 'advapi32::CloseServiceHandle(p r2)'
  System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${If} $0 == 0
    !insertmacro Fail "The Veltrix service could not be set up for Wine."
  ${EndIf}
  ; - Wine marks a service created by a 32-bit process as a WoW64 one (value WOW64) and then
  ;   loads its driver in the 32-bit winedevice.exe. The manager writes the mark again with every
  ;   configuration change, hence after the path.
  DeleteRegValue HKLM "${VTX_SERVICE_KEY}" "WOW64"
FunctionEnd

; Gives a folder the owner and access list of a security descriptor and puts everything already
; inside it back to inheriting that list alone: ProtectTree <folder> <SDDL text>.
; SetFileSecurity on a folder reaches none of the files in it; TreeResetNamedSecurityInfo with
; KeepExplicit FALSE does, and drops what anyone gave them by hand.
!define SE_FILE_OBJECT 1
!define OWNER_SECURITY_INFORMATION 0x00000001
!define DACL_SECURITY_INFORMATION 0x00000004
!define PROTECTED_DACL_SECURITY_INFORMATION 0x80000000
!macro ProtectTree FOLDER SDDL
  Push $R0
  Push $R1
  Push $R2
  StrCpy $R0 "${FOLDER}"
  StrCpy $R1 "${SDDL}"
  ; $R2 = 1 when every call succeeded
  Call ProtectTree
  ${If} $R2 != 1
    !insertmacro Fail "The access list of ${FOLDER} could not be set."
  ${EndIf}
  Pop $R2
  Pop $R1
  Pop $R0
!macroend

Function ProtectTree
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $R2 0
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w R1, i 1, *p .r1, p 0) i .r0 ?e'
  Pop $2
  DetailPrint "ConvertStringSecurityDescriptorToSecurityDescriptorW($R1) = $0 (error $2)"
  ${If} $0 == 0
    Goto done
  ${EndIf}
  System::Call 'advapi32::GetSecurityDescriptorOwner(p r1, *p .r2, *i .r4) i .r0'
  DetailPrint "GetSecurityDescriptorOwner = $0"
  ${If} $0 != 0
    System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r4, *p .r3, *i .r4) i .r0'
    DetailPrint "GetSecurityDescriptorDacl = $0"
  ${EndIf}
  ${If} $0 != 0
    ; The folder itself (non-zero on success; the descriptor says that its list is protected),
    ; then everything in it (an error code, 0 on success; KeepExplicit FALSE, no progress function).
    System::Call 'advapi32::SetFileSecurityW(w R0, i ${OWNER_SECURITY_INFORMATION}|${DACL_SECURITY_INFORMATION}, p r1) i .r0'
    DetailPrint "SetFileSecurityW($R0) = $0"
    ${If} $0 != 0
      System::Call 'advapi32::TreeResetNamedSecurityInfoW(w R0, i ${SE_FILE_OBJECT}, \
          i ${OWNER_SECURITY_INFORMATION}|${DACL_SECURITY_INFORMATION}|${PROTECTED_DACL_SECURITY_INFORMATION}, \
          p r2, p 0, p r3, p 0, i 0, p 0, i 0, p 0) i .r0'
      DetailPrint "TreeResetNamedSecurityInfoW($R0) = $0"
      ${If} $0 == 0
        StrCpy $R2 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  System::Call 'kernel32::LocalFree(p r1)'
  done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The installation folder first: resetting it resets data\ too, which then gets its own list.
Function ProtectInstallation
  !insertmacro ProtectTree "$INSTDIR" "${INSTDIR_SDDL}"
  !insertmacro ProtectTree "$INSTDIR\data" "${DATA_SDDL}"
FunctionEnd

; The audit trail's switch, a DWORD under the service's key (1 on), where only administrators
; write; vtx.exe and vtxctl read it at their start.
Var AuditSwitch  ; 1 or 0 to write, empty to keep the switch as it is
Var AuditBox     ; the check box on the directory page

; /AUDIT=1 or /AUDIT=0; any other value is refused before anything is done.
Function ReadAuditOption
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUDIT=" $1
  ${If} ${Errors}
    Return
  ${EndIf}
  ${If} $1 == 1
  ${OrIf} $1 == 0
    StrCpy $AuditSwitch $1
    Return
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "/AUDIT= takes 1 (the audit trail on) or 0 (off), not $\"$1$\"." /SD IDOK
  SetErrorLevel ${EXIT_FAILED}
  Quit
FunctionEnd

; The check box, below the folder, shows the switch as /AUDIT= or the installation has it.
Function AuditBoxShow
  FindWindow $0 "#32770" "" $HWNDPARENT
  ; Its place in dialog units of the page (left, top, right, bottom): the page's full width, in
  ; the free band between the page's text and the destination folder's box.
  System::Call '*(i 0, i 50, i 300, i 60) p .r2'
  System::Call 'user32::MapDialogRect(p r0, p r2)'
  System::Call '*$2(i .r3, i .r4, i .r5, i .r6)'
  System::Free $2
  IntOp $5 $5 - $3
  IntOp $6 $6 - $4
  ; BS_AUTOCHECKBOX | WS_CHILD | WS_VISIBLE | WS_TABSTOP
  System::Call 'user32::CreateWindowExW(i 0, w "BUTTON", w "&Record every change in the Application log (audit trail)", i 0x50010003, i r3, i r4, i r5, i r6, p r0, p 1200, p 0, p 0) p .r1'
  StrCpy $AuditBox $1
  SendMessage $0 ${WM_GETFONT} 0 0 $2
  SendMessage $AuditBox ${WM_SETFONT} $2 1
  StrCpy $3 $AuditSwitch
  ${If} $3 == ""
    ReadRegDWORD $3 HKLM "${VTX_SERVICE_KEY}" "${VTX_AUDIT_SWITCH_VALUE}"
  ${EndIf}
  ${If} $3 == 1
    SendMessage $AuditBox ${BM_SETCHECK} ${BST_CHECKED} 0
  ${EndIf}
FunctionEnd

Function AuditBoxLeave
  SendMessage $AuditBox ${BM_GETCHECK} 0 0 $AuditSwitch
FunctionEnd

; Writes the switch asked for; a new installation without /AUDIT= starts with the trail off.
Function WriteAuditSwitch
  ${If} $AuditSwitch == ""
  ${AndIf} $Upgrade != 1
    StrCpy $AuditSwitch 0
  ${EndIf}
  ${If} $AuditSwitch == ""
    Return
  ${EndIf}
  ClearErrors
  WriteRegDWORD HKLM "${VTX_SERVICE_KEY}" "${VTX_AUDIT_SWITCH_VALUE}" $AuditSwitch
  ${If} ${Errors}
    !insertmacro Fail "The audit trail's switch could not be recorded for the service."
  ${EndIf}
FunctionEnd

Section "Veltrix"
  SetShellVarContext all
  InitPluginsDir
  Call IsRunning
  ${If} $0 == 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "Veltrix is running. Close Veltrix (and vtxctl), then run the setup again." /SD IDOK
    SetErrorLevel ${EXIT_RUNNING}
    Quit
  ${EndIf}

  ; Until the new library is in place, the service is stopped and started again (should a step
  ; fail) through a copy of it: the installed one may be missing or older.
  File "/oname=$PLUGINSDIR\vtxlib32.dll" "${FILES}\vtxlib32.dll"
  ReadRegStr $0 HKLM "${VTX_SERVICE_KEY}" "ImagePath"
  ${If} $0 != ""
    StrCpy $Upgrade 1
    !insertmacro ServiceCall "$PLUGINSDIR\vtxlib32.dll" vtxIsStarted $WasRunning
  ${EndIf}

  ; The program files. An upgrade keeps the old ones aside until the new installation runs.
  ; The service is stopped first, so that the driver file it loaded can be replaced.
  ${If} $Upgrade == 1
    DetailPrint "Stopping the Veltrix service"
    !insertmacro ServiceCall "$PLUGINSDIR\vtxlib32.dll" vtxStop $0
    CreateDirectory "$PLUGINSDIR\old"
    !insertmacro ForEachReleaseFile KeepReleaseFileAside
    CreateDirectory "$PLUGINSDIR\old-driver"
    CopyFiles /SILENT "${DRIVER_FILE}" "$PLUGINSDIR\old-driver"
  ${EndIf}
  ; The folders are the administrators' before anything is written into them.
  ${IfNot} ${FileExists} "$INSTDIR\data\*.*"
    ClearErrors
    CreateDirectory "$INSTDIR\data"
    ${If} ${Errors}
      !insertmacro Fail "The folder $INSTDIR\data could not be created."
    ${EndIf}
    StrCpy $CreatedDataDir 1
  ${EndIf}
  Call ProtectInstallation
  SetOverwrite try
  ClearErrors
  SetOutPath "$INSTDIR"
  StrCpy $PlacedFiles 1
  !insertmacro ForEachReleaseFile PlaceReleaseFile
  ${If} ${Errors}
    !insertmacro Fail "The program files could not be written to $INSTDIR (a file in use?)."
  ${EndIf}

  ; The driver, in the native system32\drivers (this process is of Windows' own bitness, so no
  ; redirection applies).
  DetailPrint "Installing the driver file ${DRIVER_FILE}"
  ClearErrors
  SetOutPath "$SYSDIR\drivers"
  StrCpy $PlacedDriver 1
  File "/oname=${DRIVER_NAME}" "${DRIVER}"
  ${If} ${Errors}
    !insertmacro Fail "The driver file ${DRIVER_FILE} could not be written."
  ${EndIf}
  SetOutPath "$INSTDIR"

  ; The service, as vtxlib32 makes it. vtxCreate gives 0 both when it created the service and
  ; when it failed, so the service key tells.
  ${If} $Upgrade != 1
    DetailPrint "Creating the Veltrix service"
    !insertmacro ServiceCall "$INSTDIR\vtxlib32.dll" vtxCreate $0
    ReadRegStr $0 HKLM "${VTX_SERVICE_KEY}" "ImagePath"
    ${If} $0 == ""
      !insertmacro Fail "The Veltrix service could not be created."
    ${EndIf}
    StrCpy $CreatedService 1
    Call WineAdaptation
  ${EndIf}
  ClearErrors
  WriteRegStr HKLM "${VTX_SERVICE_KEY}" "${VTX_INSTALL_DIR_VALUE}" "$INSTDIR"
  ${If} ${Errors}
    !insertmacro Fail "The installation folder could not be recorded for the service."
  ${EndIf}

  Call RegisterEventSource

  DetailPrint "Starting the Veltrix service"
  !insertmacro ServiceCall "$INSTDIR\vtxlib32.dll" vtxStart $0
  ${If} $0 == 0
    !insertmacro Fail "The Veltrix service did not start."
  ${EndIf}

  ClearErrors
  WriteUninstaller "$INSTDIR\unins000.exe"
  ${If} ${Errors}
    !insertmacro Fail "The uninstaller $INSTDIR\unins000.exe could not be written."
  ${EndIf}
  CreateShortCut "$SMPROGRAMS\Veltrix.lnk" "$INSTDIR\vtx.exe"

  ; Apps and Features.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Veltrix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "the Veltrix developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vtx.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\unins000.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\unins000.exe" /S'
  ${GetSize} "$INSTDIR" "/M=*.* /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  Call WriteAuditSwitch
  SetErrorLevel 0
SectionEnd

; ---------------------------------------------------------------------------------------------
; The uninstaller, unins000.exe. The program starts it after stopping the driver, while its own
; window closes; Apps and Features starts it too. A second run, or a half-removed installation,
; finds nothing to do and succeeds.

Function un.onInit
  !insertmacro SetRegistryView
  InitPluginsDir
  ; Its own copy of the service library, so that a half-removed installation can still be
  ; cleaned up and the installed file is free to go.
  File "/oname=$PLUGINSDIR\vtxlib32.dll" "${FILES}\vtxlib32.dll"
  Call un.CheckInstallation
FunctionEnd

; vtx.exe stops the driver before it starts the uninstaller. Every way out before the service is
; removed (Cancel, a refusal) starts it again, so that protection does not stay off.
Function un.StartDriverAgain
  Push $0
  ReadRegStr $0 HKLM "${VTX_SERVICE_KEY}" "ImagePath"
  ${If} $0 != ""
    !insertmacro ServiceCall "$PLUGINSDIR\vtxlib32.dll" vtxStart $0
    DetailPrint "Starting the Veltrix service again: $0"
  ${EndIf}
  Pop $0
FunctionEnd

; The installation recorded on this machine (the folder in the service's key, else the Apps and
; Features entry) is the only one to remove: a copy of this file elsewhere, whose $INSTDIR is its
; own folder, refuses rather than removing the service and deleting files where it happens to be.
; NSIS runs the uninstaller from a temporary copy with _?=, so $INSTDIR is what tells.
; With nothing recorded it goes on: a second run finds nothing to do.
Function un.CheckInstallation
  Push $0
  Push $1
  ReadRegStr $0 HKLM "${VTX_SERVICE_KEY}" "${VTX_INSTALL_DIR_VALUE}"
  ${If} $0 == ""
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  StrCpy $1 $0 "" -1
  ${If} $1 == "\"
    StrCpy $0 $0 -1
  ${EndIf}
  ; LogicLib's == ignores case, as Windows' file names do.
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    Call un.StartDriverAgain
    MessageBox MB_OK|MB_ICONSTOP "Veltrix is installed in $0, not in $INSTDIR. Uninstall it from Apps and Features or with $0\unins000.exe." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Quit
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

Section "un.Veltrix"
  SetShellVarContext all

  ; vtx.exe may still be closing when it starts this; wait up to 30 seconds.
  ${ForEach} $1 1 60 + 1
    Call un.IsRunning
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    Sleep 500
  ${Next}
  ${If} $0 == 1
    Call un.StartDriverAgain
    MessageBox MB_OK|MB_ICONEXCLAMATION "Veltrix is running. Close Veltrix (and vtxctl), then uninstall again." /SD IDOK
    SetErrorLevel ${EXIT_RUNNING}
    Quit
  ${EndIf}

  DetailPrint "Removing the Veltrix service"
  !insertmacro ServiceCall "$PLUGINSDIR\vtxlib32.dll" vtxStop $0
  !insertmacro ServiceCall "$PLUGINSDIR\vtxlib32.dll" vtxDelete $0
  ReadRegStr $1 HKLM "${VTX_SERVICE_KEY}" "ImagePath"
  ${If} $0 == 0
  ${AndIf} $1 != ""
    Call un.StartDriverAgain
    MessageBox MB_OK|MB_ICONSTOP "The Veltrix service could not be removed. Nothing was changed." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Quit
  ${EndIf}
  ; The file of a driver that has not unloaded yet goes at the next start.
  Delete /REBOOTOK "${DRIVER_FILE}"

  DeleteRegKey HKLM "${VTX_EVENT_SOURCE_KEY}"

  !insertmacro ForEachReleaseFile DeleteReleaseFile
  Delete "$INSTDIR\unins000.exe"
  Delete "$SMPROGRAMS\Veltrix.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; data\ holds the user's password and lists: kept unless the user asks otherwise.
  ${If} ${FileExists} "$INSTDIR\data\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Remove the Veltrix password and both lists (the folder $INSTDIR\data) too?" /SD IDNO IDNO keep
    RMDir /r "$INSTDIR\data"
    keep:
  ${EndIf}
  RMDir "$INSTDIR"
  SetErrorLevel 0
SectionEnd
