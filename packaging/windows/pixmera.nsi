; The setup program of Varnelo PCD to TIFF for Windows, built by
; `make windows-installer` with Debian's makensis:
;
;   makensis -DPIXMERA_LISTS=<folder of file-lists' output> -DPIXMERA_ICON=<pixmera.ico>
;            -DPIXMERA_OUTFILE=<setup.exe> packaging/windows/pixmera.nsi
;
; It installs for the current user (the default for an account without
; administrator rights, into its own Programs folder) or for all users
; (Program Files), chosen on a page or with /CURRENTUSER and /ALLUSERS; /S
; runs it without a window and /D=<folder> sets the folder. The uninstaller
; removes exactly what the installer wrote: the files of the generated list,
; the folders the installer made (each only when empty), the shortcut, its
; registry entries, and the default program of .pcd only when the installer
; set it and nobody changed it since. The user's config.ini stays unless the
; uninstaller's box is ticked or /REMOVESETTINGS is given.

Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS all
SetCompressor /SOLID lzma
RequestExecutionLevel highest

!ifndef PIXMERA_LISTS | PIXMERA_ICON | PIXMERA_OUTFILE
  !error "define PIXMERA_LISTS, PIXMERA_ICON and PIXMERA_OUTFILE (see the top of this file)"
!endif

!define PRODUCT "Varnelo PCD to TIFF"
!define COMPANY "Varnelo"
!define VERSION "3.1"
!define VERSION_MAJOR 3
!define VERSION_MINOR 1
!define WEB_SITE "https://www.varnelo.example/pixmera/"
!define FOLDER_NAME "Varnelo\pixmera"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnelo.pixmera"
!define CLASSES "Software\Classes"
!define PROGID "Varnelo.pixmera.pcd"
!define APPLICATION_KEY "${CLASSES}\Applications\pixmera.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; The program's single-instance lock: a mutex named by its title text.
!define INSTANCE_MUTEX "Local\${PRODUCT} ${VERSION}"

!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include nsDialogs.nsh
!include MUI2.nsh

!include "${PIXMERA_LISTS}\sizes.nsh"
!include "${PIXMERA_LISTS}\install_files.nsh"
!include "${PIXMERA_LISTS}\uninstall_files.nsh"
!include "${PIXMERA_LISTS}\feedback_files.nsh"

Name "${PRODUCT}"
OutFile "${PIXMERA_OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.0"
VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${COMPANY}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "pixmera-${VERSION}-setup.exe"

Var Mode               ; AllUsers or CurrentUser
Var IsAdmin            ; 1 when the account may install for all users
Var CommandLineFolder  ; the folder given with /D=, which no mode change replaces
Var ModePage.AllUsers
Var ModePage.CurrentUser
Var RemoveSettings     ; uninstaller: 1 to remove config.ini as well
Var RemoveSettings.Box
Var OwnsRegistration   ; uninstaller: the registry entries name this folder
Var Failures           ; uninstaller: files or folders that could not be removed
Var FeedbackReady      ; uninstaller: pixmera.exe -U copied out, ready to run
; The record of what this installation made beyond its files (uninstall.ini
; in the folder): its mode, the folders and registry keys it created, and
; whether it made itself the default program of .pcd.
Var Record

!define MUI_ICON "${PIXMERA_ICON}"
!define MUI_UNICON "${PIXMERA_ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
Page custom ModePageShow ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.ConfirmPageShow un.ConfirmPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------
; Shared by installer and uninstaller.

; Ends with "the program is running" when a copy of pixmera holds its lock in
; this session: its files could not be replaced or removed.
!macro WAIT_FOR_PROGRAM_TO_CLOSE UN
  Function ${UN}WaitForProgramToClose
    check:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0'
    ${If} $0 == 0
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    ${IfNot} ${Silent}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "${PRODUCT} is running. Close it, then choose Retry." IDRETRY check
    ${EndIf}
    SetErrorLevel 3
    Quit
  FunctionEnd
!macroend
!insertmacro WAIT_FOR_PROGRAM_TO_CLOSE ""
!insertmacro WAIT_FOR_PROGRAM_TO_CLOSE "un."

!macro FIND_ACCOUNT_RIGHTS
  StrCpy $IsAdmin 0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $IsAdmin 1
  ${EndIf}
!macroend

; ---------------------------------------------------------------------------
; Installer

Function SetMode
  ; $0: AllUsers or CurrentUser
  StrCpy $Mode $0
  ${If} $Mode == "AllUsers"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ${If} $CommandLineFolder != ""
    StrCpy $INSTDIR $CommandLineFolder
    Return
  ${EndIf}
  ; Where this mode installed before, else its usual place.
  ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 != ""
    StrCpy $INSTDIR $1
  ${ElseIf} $Mode == "AllUsers"
    StrCpy $INSTDIR "$PROGRAMFILES64\${FOLDER_NAME}"
  ${Else}
    ; FOLDERID_UserProgramFiles: %LOCALAPPDATA%\Programs
    GetKnownFolderPath $1 {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}
    ${If} $1 == ""
      StrCpy $1 "$LOCALAPPDATA\Programs"
    ${EndIf}
    StrCpy $INSTDIR "$1\${FOLDER_NAME}"
  ${EndIf}
FunctionEnd

Function .onInit
  ; /D= arrives in $INSTDIR before this function runs.
  StrCpy $CommandLineFolder $INSTDIR
  Call WaitForProgramToClose
  !insertmacro FIND_ACCOUNT_RIGHTS

  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    ${If} $IsAdmin != 1
      ${IfNot} ${Silent}
        MessageBox MB_OK|MB_ICONSTOP \
          "Installing ${PRODUCT} for all users needs an administrator account."
      ${EndIf}
      SetErrorLevel 2
      Quit
    ${EndIf}
    StrCpy $0 "AllUsers"
  ${Else}
    ClearErrors
    ${GetOptions} $R0 "/CURRENTUSER" $R1
    ${IfNot} ${Errors}
      StrCpy $0 "CurrentUser"
    ${ElseIf} $IsAdmin == 1
      StrCpy $0 "AllUsers"
    ${Else}
      StrCpy $0 "CurrentUser"
    ${EndIf}
  ${EndIf}
  Call SetMode
FunctionEnd

; Only an administrator has a choice to make.
Function ModePageShow
  ${If} $IsAdmin != 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for whom to install ${PRODUCT}."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Install ${PRODUCT} for every user of this computer, or only for you?"
  Pop $0
  ${NSD_CreateRadioButton} 10u 32u -10u 12u "For &all users of this computer"
  Pop $ModePage.AllUsers
  ReadEnvStr $1 USERNAME
  ${NSD_CreateRadioButton} 10u 50u -10u 12u "Only for &me ($1)"
  Pop $ModePage.CurrentUser
  ${If} $Mode == "AllUsers"
    ${NSD_Check} $ModePage.AllUsers
  ${Else}
    ${NSD_Check} $ModePage.CurrentUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $ModePage.AllUsers $1
  ${If} $1 == ${BST_CHECKED}
    StrCpy $0 "AllUsers"
  ${Else}
    StrCpy $0 "CurrentUser"
  ${EndIf}
  Call SetMode
FunctionEnd

; Writes to the record the folders from the outermost missing one down to
; $INSTDIR, before they are made: the uninstaller removes those, and only
; those, when they are empty. A folder recorded by an earlier installation
; into the same place stays recorded.
Function RecordFoldersToMake
  ReadINIStr $2 "$Record" "Install" "Folders"
  ${If} $2 != ""
    Return
  ${EndIf}
  StrCpy $1 $INSTDIR
  StrCpy $2 0
  ${Do}
    ${If} ${FileExists} "$1\*.*"
    ${OrIf} $1 == ""
      ${Break}
    ${EndIf}
    Push $1
    IntOp $2 $2 + 1
    ${GetParent} $1 $3
    ${If} $3 == $1
      ${Break}
    ${EndIf}
    StrCpy $1 $3
  ${Loop}
  ; The stack holds them innermost first, outermost on top.
  StrCpy $3 1
  ${DoWhile} $3 <= $2
    Pop $1
    WriteINIStr "$Record" "Install" "Folder$3" $1
    IntOp $3 $3 + 1
  ${Loop}
  WriteINIStr "$Record" "Install" "Folders" $2
FunctionEnd

; Notes in the record a registry key ($0, below the mode's root) that does
; not exist yet, before the installer writes under it: the uninstaller
; removes such keys again when they are empty. Keys are recorded outermost
; first; a key an earlier installation recorded stays recorded.
Function RecordKeyToMake
  ReadINIStr $2 "$Record" "Install" "Keys"
  ${If} $2 == ""
    StrCpy $2 0
  ${EndIf}
  StrCpy $3 1
  ${DoWhile} $3 <= $2
    ReadINIStr $4 "$Record" "Install" "Key$3"
    ${If} $4 == $0
      Return
    ${EndIf}
    IntOp $3 $3 + 1
  ${Loop}
  ClearErrors
  EnumRegKey $4 SHCTX $0 0
  ${If} ${Errors}
    IntOp $2 $2 + 1
    WriteINIStr "$Record" "Install" "Key$2" $0
    WriteINIStr "$Record" "Install" "Keys" $2
  ${EndIf}
FunctionEnd

!macro RECORD_KEY_TO_MAKE KEY
  StrCpy $0 "${KEY}"
  Call RecordKeyToMake
!macroend

Section "Install"
  Call WaitForProgramToClose
  ; The record is kept in the plug-ins folder until the installation folder
  ; exists: the list of folders to make is written before they are made. An
  ; earlier installation's record in the same place carries over.
  InitPluginsDir
  StrCpy $Record "$PLUGINSDIR\uninstall.ini"
  ${If} ${FileExists} "$INSTDIR\uninstall.ini"
    CopyFiles /SILENT "$INSTDIR\uninstall.ini" "$PLUGINSDIR"
  ${EndIf}
  Call RecordFoldersToMake
  WriteINIStr "$Record" "Install" "Mode" $Mode

  CreateDirectory $INSTDIR
  !insertmacro PIXMERA_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "${SHORTCUT}" "$INSTDIR\pixmera.exe" "" "$INSTDIR\pixmera.exe" 0 SW_SHOWNORMAL \
    "" "Convert Kodak PhotoCD pictures into TIFF files"

  ; The file type: a ProgID of our own, offered in "Open with" beside the
  ; others; the default for .pcd only when no program has it yet.
  !insertmacro RECORD_KEY_TO_MAKE "${CLASSES}"
  !insertmacro RECORD_KEY_TO_MAKE "${CLASSES}\Applications"
  !insertmacro RECORD_KEY_TO_MAKE "${CLASSES}\.pcd"
  !insertmacro RECORD_KEY_TO_MAKE "${CLASSES}\.pcd\OpenWithProgids"
  !insertmacro RECORD_KEY_TO_MAKE "Software\Microsoft\Windows\CurrentVersion\Uninstall"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}" "" "Kodak PhotoCD picture"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\pixmera.exe,0"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\pixmera.exe" "%1"'
  WriteRegStr SHCTX "${CLASSES}\.pcd\OpenWithProgids" "${PROGID}" ""
  WriteRegStr SHCTX "${APPLICATION_KEY}" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr SHCTX "${APPLICATION_KEY}\DefaultIcon" "" "$INSTDIR\pixmera.exe,0"
  WriteRegStr SHCTX "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\pixmera.exe" "%1"'
  WriteRegStr SHCTX "${APPLICATION_KEY}\SupportedTypes" ".pcd" ""
  ; HKCR is what Explorer reads: the user's and the machine's classes together.
  ReadRegStr $0 HKCR ".pcd" ""
  ${If} $0 == ""
    WriteRegStr SHCTX "${CLASSES}\.pcd" "" "${PROGID}"
    WriteINIStr "$Record" "Install" "PcdDefault" 1
  ${ElseIf} $0 != "${PROGID}"
    DetailPrint ".pcd files stay with $0; ${PRODUCT} is offered under Open with."
  ${EndIf}

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "${WEB_SITE}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pixmera.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ; The files plus the uninstaller, in KiB.
  IntOp $0 ${PIXMERA_INSTALLED_KIB} + 160
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

  CopyFiles /SILENT "$Record" "$INSTDIR"
  ; SHCNE_ASSOCCHANGED: Explorer reads the file types again.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; ---------------------------------------------------------------------------
; Uninstaller

!macro PIXMERA_REMOVE_FILE FILE
  Delete "${FILE}"
  ${If} ${FileExists} "${FILE}"
    DetailPrint "Could not remove ${FILE}"
    IntOp $Failures $Failures + 1
  ${EndIf}
!macroend

; Removes a folder of the installation only when it is empty by now.
!macro PIXMERA_REMOVE_FOLDER FOLDER
  RMDir "${FOLDER}"
!macroend

Function un.onInit
  Call un.WaitForProgramToClose
  !insertmacro FIND_ACCOUNT_RIGHTS
  StrCpy $Record "$INSTDIR\uninstall.ini"
  StrCpy $RemoveSettings 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}

  ; The mode from the installer's record; without it, from the registration
  ; that names this folder.
  ReadINIStr $Mode "$Record" "Install" "Mode"
  ${If} $Mode == ""
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
      StrCpy $Mode "AllUsers"
    ${ElseIf} $1 == $INSTDIR
      StrCpy $Mode "CurrentUser"
    ${Else}
      ${IfNot} ${Silent}
        MessageBox MB_OK|MB_ICONSTOP "$INSTDIR holds no installation of ${PRODUCT} to remove."
      ${EndIf}
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
  ${If} $Mode == "AllUsers"
    ${If} $IsAdmin != 1
      ${IfNot} ${Silent}
        MessageBox MB_OK|MB_ICONSTOP \
          "${PRODUCT} was installed for all users: removing it needs an administrator account."
      ${EndIf}
      SetErrorLevel 2
      Quit
    ${EndIf}
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ; The shortcut, file type and uninstall entry are this folder's only while
  ; they name it: a later installation elsewhere in the same mode took them
  ; over, and they stay with it.
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $OwnsRegistration 1
  ${Else}
    StrCpy $OwnsRegistration 0
  ${EndIf}
FunctionEnd

Function un.ConfirmPageShow
  !insertmacro MUI_HEADER_TEXT "Uninstall ${PRODUCT}" "Remove ${PRODUCT} from this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 36u "${PRODUCT} will be removed from $INSTDIR.$\r$\n$\r$\nPictures you converted are not touched."
  Pop $0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "Also remove my &settings (config.ini)"
  Pop $RemoveSettings.Box
  ${If} $RemoveSettings == 1
    ${NSD_Check} $RemoveSettings.Box
  ${EndIf}
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:&Uninstall"
  nsDialogs::Show
FunctionEnd

Function un.ConfirmPageLeave
  ${NSD_GetState} $RemoveSettings.Box $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $RemoveSettings 1
  ${Else}
    StrCpy $RemoveSettings 0
  ${EndIf}
FunctionEnd

Function un.RemoveRegistration
  ${If} $OwnsRegistration != 1
    DetailPrint "The shortcut and file type belong to another installation; they stay."
    Return
  ${EndIf}
  Delete "${SHORTCUT}"

  DeleteRegKey SHCTX "${CLASSES}\${PROGID}"
  DeleteRegKey SHCTX "${APPLICATION_KEY}"
  DeleteRegValue SHCTX "${CLASSES}\.pcd\OpenWithProgids" "${PROGID}"
  ; The default only while it is still ours.
  ReadINIStr $0 "$Record" "Install" "PcdDefault"
  ReadRegStr $1 SHCTX "${CLASSES}\.pcd" ""
  ${If} $0 == 1
  ${AndIf} $1 == "${PROGID}"
    DeleteRegValue SHCTX "${CLASSES}\.pcd" ""
  ${EndIf}
  Call un.RemoveKeysMade
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
FunctionEnd

; Keys the installer made go, innermost first, when nothing else was put in
; them since. The uninstall entry is still there on the first pass (it goes
; last, once every file is gone), so its parent is tried again after it.
Function un.RemoveKeysMade
  ReadINIStr $2 "$Record" "Install" "Keys"
  ${If} $2 == ""
    StrCpy $2 0
  ${EndIf}
  ${DoWhile} $2 > 0
    ReadINIStr $1 "$Record" "Install" "Key$2"
    ${If} $1 != ""
      DeleteRegKey /IfEmpty SHCTX $1
    ${EndIf}
    IntOp $2 $2 - 1
  ${Loop}
FunctionEnd

; The folders the installer made, innermost first, each only when empty and
; only when it is the installation folder or one above it.
Function un.RemoveFoldersMade
  ReadINIStr $2 "$Record" "Install" "Folders"
  ${If} $2 == ""
    StrCpy $2 0
  ${EndIf}
  ${DoWhile} $2 > 0
    ReadINIStr $1 "$Record" "Install" "Folder$2"
    StrLen $3 $1
    StrCpy $4 $INSTDIR $3
    StrCpy $5 $INSTDIR 1 $3
    ${If} $1 != ""
    ${AndIf} $4 == $1
      ${If} $5 == ""
      ${OrIf} $5 == "\"
        RMDir $1
      ${EndIf}
    ${EndIf}
    IntOp $2 $2 - 1
  ${Loop}
FunctionEnd

; config.ini lives in the roaming application data of the user, whichever
; mode the program was installed in.
Function un.RemoveSettings
  ${If} $RemoveSettings != 1
    Return
  ${EndIf}
  SetShellVarContext current
  Delete "$APPDATA\${FOLDER_NAME}\config.ini"
  RMDir "$APPDATA\${FOLDER_NAME}"
  RMDir "$APPDATA\Varnelo"
  ${If} $Mode == "AllUsers"
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.WaitForProgramToClose
  StrCpy $Failures 0

  ; The uninstall page runs last, after the files are gone: a copy of the
  ; program and the DLLs it loads goes to the uninstaller's own temporary
  ; folder, which is removed when the uninstaller ends.
  StrCpy $FeedbackReady 0
  ${IfNot} ${Silent}
  ${AndIf} ${FileExists} "$INSTDIR\pixmera.exe"
    InitPluginsDir
    CreateDirectory "$PLUGINSDIR\feedback"
    !insertmacro PIXMERA_FEEDBACK_FILES "$PLUGINSDIR\feedback"
    ${If} ${FileExists} "$PLUGINSDIR\feedback\pixmera.exe"
      StrCpy $FeedbackReady 1
    ${EndIf}
  ${EndIf}

  Call un.RemoveRegistration
  !insertmacro PIXMERA_UNINSTALL_FILES

  ${If} $Failures > 0
    ; Keep the uninstaller, its record and the entry in "Apps and features",
    ; so the removal can be run again once the files are free.
    DetailPrint "$Failures files could not be removed; ${PRODUCT} stays listed to try again."
    ${IfNot} ${Silent}
      MessageBox MB_OK|MB_ICONEXCLAMATION \
        "$Failures files of ${PRODUCT} could not be removed (are they in use?). Run the uninstaller again to finish."
    ${EndIf}
    SetErrorLevel 1
  ${Else}
    ; The record last among the files: the folder list above came from it.
    Call un.RemoveFoldersMadeAfterRecord
    ${If} $OwnsRegistration == 1
      DeleteRegKey SHCTX "${UNINSTALL_KEY}"
      Call un.RemoveKeysMade
    ${EndIf}
  ${EndIf}
  Call un.RemoveSettings
SectionEnd

Function un.RemoveFoldersMadeAfterRecord
  ; The record moves to the plug-ins folder: the folders go after it.
  InitPluginsDir
  CopyFiles /SILENT "$Record" "$PLUGINSDIR"
  !insertmacro PIXMERA_REMOVE_FILE "$INSTDIR\uninstall.exe"
  !insertmacro PIXMERA_REMOVE_FILE "$Record"
  StrCpy $Record "$PLUGINSDIR\uninstall.ini"
  Call un.RemoveFoldersMade
FunctionEnd

Function un.onUninstSuccess
  ${If} $FeedbackReady == 1
    ExecWait '"$PLUGINSDIR\feedback\pixmera.exe" -U'
  ${EndIf}
FunctionEnd
