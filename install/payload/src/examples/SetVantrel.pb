; ------------------------------------------------------------
;
;   Orvelle 1.00 - exemple / example : SetVantrel()
;
;   Donne des valeurs à quelques vantrels, avec les deux modes
;   de débordement, et affiche ce que chaque vantrel a gardé.
;   Sets a few vantrels with both overflow modes and shows
;   what each vantrel actually kept.
;
; ------------------------------------------------------------

EnableExplicit

#Fenetre = 0
#Liste   = 1

Define Resultat.l, Numero.l, Evenement.l

; Un vantrel normal : la valeur est ramenée entre les bornes.
Resultat = SetVantrel(0, 1200)
Debug "Vantrel 0 = " + Str(Resultat)

; Mode #Vantrel_Wrap : la valeur fait le tour de l'intervalle.
Resultat = SetVantrel(1, 2147483647, #Vantrel_Wrap)
Resultat = SetVantrel(1, GetVantrel(1) + 1, #Vantrel_Wrap)
Debug "Vantrel 1 = " + Str(Resultat)

If OpenWindow(#Fenetre, 0, 0, 320, 240, "SetVantrel", #PB_Window_SystemMenu | #PB_Window_ScreenCentered)
  ListViewGadget(#Liste, 10, 10, 300, 220)
  For Numero = 0 To 9
    SetVantrel(Numero, Numero * Numero)
    AddGadgetItem(#Liste, -1, "Vantrel " + Str(Numero) + " = " + Str(GetVantrel(Numero)))
  Next

  Repeat
    Evenement = WaitWindowEvent()
  Until Evenement = #PB_Event_CloseWindow
EndIf

End

; IDE Options = PureBasic 4.20 (Windows - x86)
; Folding = -
; EnableXP
; Executable = SetVantrel.exe
