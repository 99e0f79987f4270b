; The peer installer of the benchmark: the same job as ours, done the same way, with NSIS.
; It reads the host folder from the same registry value when the install command is given,
; creates the same folders, removes the same sibling and earlier files after clearing their
; attributes, writes the same five files from the same uncompressed payload, and ends with
; the same completion message. Built by bench/run.sh:
;   makensis -DPAYLOAD=<install/payload> -DOUTFILE=<peer.exe> bench/peer.nsi
Unicode false
SetCompress off
RequestExecutionLevel user
Name "Orvelle 1.00"
OutFile "${OUTFILE}"
InstallDir ""
ShowInstDetails show

; The language page of ours has no equivalent here: the components page is the window that
; waits for the install command.
Page components
Page instfiles

Var command
Var folder

; The folder of the command that opens files with PureBasic.exe, as ours cuts it: the
; command loses its first character and its last six, then the folder part is kept (a
; leading quote skipped, everything up to the last backslash, cut at a quote). Empty when
; anything fails.
Function FindHostFolder
    StrCpy $folder ""
    ReadRegStr $command HKCR "Applications\PureBasic.exe\shell\open\command" ""
    IfErrors done
    StrLen $0 $command
    IntOp $0 $0 - 7
    IntCmp $0 0 done done
    StrCpy $1 $command $0 1
    StrCpy $2 $1 1
    StrCmp $2 '"' 0 +2
        StrCpy $1 $1 "" 1
    ; $0: the position of the last backslash, searched from the end.
    StrLen $0 $1
    back:
        IntOp $0 $0 - 1
        IntCmp $0 0 0 done
        StrCpy $2 $1 1 $0
        StrCmp $2 "\" 0 back
    IntOp $0 $0 + 1
    StrCpy $1 $1 $0
    ; Cut at the first quote.
    StrCpy $0 0
    quote:
        StrCpy $2 $1 1 $0
        StrCmp $2 "" keep
        StrCmp $2 '"' keep
        IntOp $0 $0 + 1
        Goto quote
    keep:
    StrCpy $folder $1 $0
    done:
FunctionEnd

!macro Remove path
    SetFileAttributes "${path}" NORMAL
    Delete "${path}"
!macroend

Section "Orvelle 1.00"
    SectionIn RO
    Call FindHostFolder
    StrCmp $folder "" 0 +2
        Quit
    StrCpy $INSTDIR $folder
    CreateDirectory "$INSTDIR"
    CreateDirectory "$INSTDIR\Examples"
    CreateDirectory "$INSTDIR\Examples\Orvelle"
    CreateDirectory "$INSTDIR\Residents"
    CreateDirectory "$INSTDIR\PureLibraries"
    CreateDirectory "$INSTDIR\PureLibraries\UserLibraries"
    CreateDirectory "$INSTDIR\Help"

    !insertmacro Remove "$INSTDIR\Help\Lumora.chm"
    !insertmacro Remove "$INSTDIR\Help\Orvelle.chm"
    SetOutPath "$INSTDIR\Help"
    File "/oname=Orvelle.chm" "${PAYLOAD}/help_en.chm"

    !insertmacro Remove "$INSTDIR\PureLibraries\UserLibraries\Lumora"
    !insertmacro Remove "$INSTDIR\PureLibraries\UserLibraries\Orvelle"
    SetOutPath "$INSTDIR\PureLibraries\UserLibraries"
    File "/oname=Orvelle" "${PAYLOAD}/library.bin"

    !insertmacro Remove "$INSTDIR\Residents\Lumora.res"
    !insertmacro Remove "$INSTDIR\Residents\Orvelle.res"
    SetOutPath "$INSTDIR\Residents"
    File "/oname=Orvelle.res" "${PAYLOAD}/resident.res"

    !insertmacro Remove "$INSTDIR\Examples\Orvelle\SetVantrel\SetVantrel.pb"
    SetOutPath "$INSTDIR\Examples\Orvelle\SetVantrel"
    File "${PAYLOAD}/SetVantrel.pb"
    !insertmacro Remove "$INSTDIR\Examples\Orvelle\GetVantrel\GetVantrel.pb"
    SetOutPath "$INSTDIR\Examples\Orvelle\GetVantrel"
    File "${PAYLOAD}/GetVantrel.pb"

    MessageBox MB_OK|MB_ICONINFORMATION "      Installation of Orvelle library V1.00         $\n      ended" /SD IDOK
SectionEnd
