; The installer's PATH option, so that groundstyles-scan runs from any command
; prompt. It is a component of its own, unticked; /ADDTOPATH on the command
; line ticks it, which is how a silent install (/S), with no page to tick it
; on, asks for it. Once the files are in place, the program's folder is added
; at the end of the Path of the environment the install is for: the machine's
; when installed for all users, the user's otherwise, and the system is told
; that the environment changed. The uninstall entry records the entry added;
; the uninstaller takes exactly that entry off again and leaves the rest of
; the Path as it was, its type too. A folder the Path already holds is not
; added again, nor taken off. A Path longer than the installer's strings
; (NSIS_MAX_STRLEN) is left alone rather than cut short, and a message says
; so. Needs PATH_OPTION_UNINSTALL_KEY, the uninstall entry's key, and
; $SV_ALLUSERS, which the installer sets to "AllUsers" when it installs for
; all users.

!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include WinMessages.nsh

; Registry calls: RegGetValueW's flags (a string, expanded or not, as it is
; stored) and its errors; the Path's largest size, in bytes, that fits in a string.
!define PATH_OPTION_STRING_TYPES 0x10000006
!define PATH_OPTION_NOT_FOUND 2
!define /math PATH_OPTION_BYTES ${NSIS_MAX_STRLEN} * 2

Var PathSwitchRead  ; 1 once the command line has been looked at
Var PathRoot        ; the environment: HKLM (the machine's) or HKCU (the user's)
Var PathValue       ; the Path as read or to be written
Var PathType        ; its registry type: 1 (REG_SZ) or 2 (REG_EXPAND_SZ)
Var PathStatus      ; what reading it found: "ok", "missing" or "unreadable"
Var PathEntry       ; the entry looked for
Var PathEntryStart  ; where the entry's last occurrence starts in PathValue, or -1
Var PathEntryEnd    ; where it ends: at the ';' after it, or at PathValue's end

Section /o "Add to PATH" PathOption
  ; Its work is done once the files are in place (AddPathEntry).
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${PathOption} \
    "Lets you run groundstyles-scan from any command prompt: the program's folder is added to your PATH. \
    Uninstalling takes it off again."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; /ADDTOPATH on the command line ticks the option, once: before the
; components page first shows, or before a silent install adds the entry.
Function ApplyPathSwitch
  ${If} $PathSwitchRead != 1
    StrCpy $PathSwitchRead 1
    Push $0
    Push $1
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/ADDTOPATH" $1
    ${IfNot} ${Errors}
    ${AndIf} $1 == ""
      !insertmacro SelectSection ${PathOption}
    ${EndIf}
    Pop $1
    Pop $0
  ${EndIf}
FunctionEnd

Function PathOptionPage
  Call ApplyPathSwitch
FunctionEnd

!macro PathFunctions UN
; Pushes the environment's registry key for RegGetValueW and its kin: the
; root's handle, sign-extended as the system's headers define it, then the key.
Function ${UN}PushPathKey
  ${If} $PathRoot == "HKLM"
    Push -2147483646
    Push "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
  ${Else}
    Push -2147483647
    Push "Environment"
  ${EndIf}
FunctionEnd

; Reads the environment's Path into PathValue, PathType and PathStatus.
Function ${UN}ReadPath
  Push $0
  Push $1
  Push $2
  Push $3
  Call ${UN}PushPathKey
  Pop $1
  Pop $0
  System::Call 'advapi32::RegGetValueW(p r0, w r1, w "Path", i ${PATH_OPTION_STRING_TYPES}, *i .r2, w .r3, \
                *i ${PATH_OPTION_BYTES}) i .r0'
  ${If} $0 == 0
    StrCpy $PathStatus "ok"
    StrCpy $PathValue $3
    StrCpy $PathType $2
  ${ElseIf} $0 == ${PATH_OPTION_NOT_FOUND}
    StrCpy $PathStatus "missing"
    StrCpy $PathValue ""
    StrCpy $PathType 2
  ${Else}
    ; Longer than a string holds, or not a string.
    StrCpy $PathStatus "unreadable"
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Writes PathValue as the environment's Path, with PathType; an empty one is
; deleted. Leaves 0 on the stack when that worked.
Function ${UN}WritePath
  Push $0
  Push $1
  Push $2
  Call ${UN}PushPathKey
  Pop $1
  Pop $0
  ${If} $PathValue == ""
    System::Call 'advapi32::RegDeleteKeyValueW(p r0, w r1, w "Path") i .r0'
  ${Else}
    StrLen $2 $PathValue
    IntOp $2 $2 + 1
    IntOp $2 $2 * 2
    Push $PathValue
    System::Call 'advapi32::RegSetKeyValueW(p r0, w r1, w "Path", i $PathType, w s, i r2) i .r0'
  ${EndIf}
  ${If} $0 == 0
    ; Programs started from now on, by Explorer among others, see the new Path.
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Finds the last entry of PathValue that is PathEntry, in any case: sets
; PathEntryStart and PathEntryEnd, PathEntryStart to -1 when there is none.
Function ${UN}FindPathEntry
  Push $0  ; where the scan is
  Push $1  ; where the entry under it starts
  Push $2
  Push $3  ; PathValue's length
  StrCpy $PathEntryStart -1
  StrLen $3 $PathValue
  StrCpy $0 0
  StrCpy $1 0
  ${Do}
    StrCpy $2 $PathValue 1 $0
    ${If} $2 == ";"
    ${OrIf} $0 >= $3
      IntOp $2 $0 - $1
      ${If} $2 > 0
        StrCpy $2 $PathValue $2 $1
        ${If} $2 == $PathEntry
          StrCpy $PathEntryStart $1
          StrCpy $PathEntryEnd $0
        ${EndIf}
      ${EndIf}
      IntOp $1 $0 + 1
    ${EndIf}
    IntOp $0 $0 + 1
  ${LoopUntil} $0 > $3
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro PathFunctions ""
!insertmacro PathFunctions "un."

; Adds the program's folder to the Path when the option is ticked.
Function AddPathEntry
  Call ApplyPathSwitch
  ${IfNot} ${SectionIsSelected} ${PathOption}
    Return
  ${EndIf}
  Push $0
  Push $1
  Push $2
  StrCpy $PathRoot "HKCU"
  ${If} $SV_ALLUSERS == "AllUsers"
    StrCpy $PathRoot "HKLM"
  ${EndIf}
  Call ReadPath
  StrCpy $PathEntry "$INSTDIR\"
  Call FindPathEntry
  StrCpy $0 $PathEntryStart
  StrCpy $PathEntry $INSTDIR
  Call FindPathEntry
  ; The Path with the entry and a ';' must fit in a string with its end.
  StrLen $1 $PathValue
  IntOp $1 $1 + 2
  StrLen $2 $PathEntry
  IntOp $1 $1 + $2
  ${If} $PathStatus == "unreadable"
  ${OrIf} $1 > ${NSIS_MAX_STRLEN}
    DetailPrint "PATH left as it was: too long to change safely"
    MessageBox MB_OK|MB_ICONEXCLAMATION "Your PATH is too long for the installer to change safely, so it is left \
      as it was. To run groundstyles-scan from any command prompt, add $PathEntry to it yourself." /SD IDOK
  ${ElseIf} $PathEntryStart >= 0
  ${OrIf} $0 >= 0
    DetailPrint "PATH already holds $PathEntry"
  ${Else}
    ${If} $PathValue == ""
      StrCpy $PathValue $PathEntry
    ${Else}
      StrCpy $PathValue "$PathValue;$PathEntry"
    ${EndIf}
    Call WritePath
    Pop $0
    ${If} $0 == 0
      DetailPrint "Added to PATH: $PathEntry"
      WriteRegStr SHCTX "${PATH_OPTION_UNINSTALL_KEY}" "PathEntry" $PathEntry
      WriteRegStr SHCTX "${PATH_OPTION_UNINSTALL_KEY}" "PathEnvironment" $PathRoot
    ${Else}
      MessageBox MB_OK|MB_ICONEXCLAMATION "The installer could not add $PathEntry to your PATH (error $0)." /SD IDOK
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Takes the entry the installer added off the Path again, once: the last
; occurrence, with the ';' the installer put before it.
Function un.RemovePathEntry
  Push $0
  Push $1
  ReadRegStr $PathEntry SHCTX "${PATH_OPTION_UNINSTALL_KEY}" "PathEntry"
  ReadRegStr $PathRoot SHCTX "${PATH_OPTION_UNINSTALL_KEY}" "PathEnvironment"
  ${If} $PathEntry != ""
    Call un.ReadPath
    ${If} $PathStatus == "unreadable"
      DetailPrint "PATH left as it was: too long to change safely"
      MessageBox MB_OK|MB_ICONEXCLAMATION "Your PATH is too long for the uninstaller to change safely. Take \
        $PathEntry off it yourself." /SD IDOK
    ${Else}
      Call un.FindPathEntry
    ${EndIf}
    ${If} $PathStatus == "ok"
    ${AndIf} $PathEntryStart >= 0
      ${If} $PathEntryStart > 0
        ; The entry and the ';' before it. (StrCpy's length 0 means all.)
        IntOp $0 $PathEntryStart - 1
        ${If} $0 > 0
          StrCpy $0 $PathValue $0
        ${Else}
          StrCpy $0 ""
        ${EndIf}
        StrCpy $1 $PathValue "" $PathEntryEnd
      ${Else}
        ; The first entry, and the ';' after it when there is one.
        StrCpy $0 ""
        IntOp $1 $PathEntryEnd + 1
        StrCpy $1 $PathValue "" $1
      ${EndIf}
      StrCpy $PathValue "$0$1"
      Call un.WritePath
      Pop $0
      DetailPrint "Taken off PATH: $PathEntry"
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
