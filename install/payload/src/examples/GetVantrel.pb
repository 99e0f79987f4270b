; ------------------------------------------------------------
;
;   Orvelle 1.00 - exemple / example : GetVantrel()
;
;   Lit la valeur et les bornes d'un vantrel dans une structure,
;   suit un compteur réparti entre plusieurs procédures, puis
;   remet tous les vantrels à zéro.
;   Reads a vantrel's value and bounds into a structure, follows
;   a counter shared between procedures, then resets them all.
;
; ------------------------------------------------------------

EnableExplicit

#Compteur = 10    ; vantrel utilisé comme compteur / used as a counter
#Etat     = 11    ; dernier état connu / last known state

Procedure Compter(Pas.l)
  ; Chaque appel ajoute son pas au compteur partagé.
  ProcedureReturn SetVantrel(#Compteur, GetVantrel(#Compteur) + Pas)
EndProcedure

Procedure.s Decrire(Numero.l)
  Protected Infos.Vantrel
  Protected Texte.s

  GetVantrel(Numero, @Infos)
  Texte = "Vantrel " + Str(Numero) + " : " + Str(Infos\Value)
  Texte + "  [" + Str(Infos\Min) + " .. " + Str(Infos\Max) + "]"
  ProcedureReturn Texte
EndProcedure

Define i.l, Total.l

ResetVantrel(#Compteur)
For i = 1 To 20
  Total = Compter(i)
Next
Debug "Somme / sum 1..20 = " + Str(Total)   ; 210 attendu / expected

SetVantrel(#Etat, 3)
Debug Decrire(#Compteur)
Debug Decrire(#Etat)

; Un vantrel jamais écrit vaut 0, avec les bornes les plus larges.
Debug Decrire(200)

If GetVantrel(#Compteur) <> 210
  MessageRequester("GetVantrel", "Résultat inattendu / unexpected result")
EndIf

; Tout remettre à zéro avant de quitter (#PB_Any = tous les vantrels).
ResetVantrel(#PB_Any)
Debug "Après / after ResetVantrel : " + Str(GetVantrel(#Compteur))

End

; IDE Options = PureBasic 4.20 (Windows - x86)
; Folding = -
; EnableXP
; Executable = GetVantrel.exe
