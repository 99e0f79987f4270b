#pragma once

// The installer's two languages: the language flag, chosen once by the language buttons,
// and every text the installer shows, in French and in English (code page 1252; leading
// and trailing blanks belong to the texts).
namespace app {

constexpr unsigned char language_french = 0;
constexpr unsigned char language_english = 1;

// The language flag: French at start; 0 reads as French, anything else as English.
unsigned char language();
void set_language(unsigned char flag);

struct Bilingual {
    const char* french;
    const char* english;
};

// The text of the language the flag holds.
const char* chosen(const Bilingual& text);

// The separator line of the list, 62 "=": built once, before the windows.
void build_separator_line();
const char* separator_line();

// Labels and the credits line, the same in both languages except where a control is
// relabelled when English is chosen.
inline constexpr char french_label[] = "Français";
inline constexpr char english_label[] = "English";
inline constexpr char install_label_french[] = "Installer";
inline constexpr char install_label_english[] = "Install";
inline constexpr char cancel_label_english[] = "Cancel";
inline constexpr char credits_line[] = "  Merçi à Quorin pour le Logo/Thanks to Quorin for Logo";

// Names for screen readers where the window text gives none or another: before a choice in
// both languages, then in the chosen one. The window texts stay as they are.
inline constexpr char main_window_name[] = "Orvelle 1.00";
inline constexpr char cancel_name_before_choice[] = "Annuler / Cancel";
inline constexpr Bilingual cancel_name{"Annuler", cancel_label_english};
inline constexpr char list_name_before_choice[] = "Journal de l'installation / Installation log";
inline constexpr Bilingual list_name{"Journal de l'installation", "Installation log"};
inline constexpr Bilingual progress_name{"Progression", "Progress"};

inline constexpr Bilingual heading_line{"Installation de la librairie :", "Library installation :"};
inline constexpr char message_title[] = "Infos :";
inline constexpr Bilingual completion_text{
    "      L'installation de la librairie Orvelle V1.00        \n      est terminée",
    "      Installation of Orvelle library V1.00         \n      ended"};
inline constexpr Bilingual failure_text{
    "      L'installation de la librairie Orvelle V1.00        \n      a échoué pour certains fichiers",
    "      Installation of Orvelle library V1.00         \n      failed for some files"};
inline constexpr Bilingual no_host_text{"PureBasic est introuvable : aucun fichier n'a été installé.",
                                        "PureBasic was not found: no file was installed."};
// Around the host folder whose name the system's code page cannot hold, as it shows there.
inline constexpr Bilingual unusable_host_before{"Le nom du dossier de PureBasic ne peut pas servir sur ce système :\n",
                                                "The name of PureBasic's folder cannot be used on this system:\n"};
inline constexpr Bilingual unusable_host_after{"\nAucun fichier n'a été installé.", "\nNo file was installed."};
// Around the host folder whose drive, share or parent folder is not there; the same ending.
inline constexpr Bilingual unreachable_host_before{"Le dossier de PureBasic est inaccessible :\n",
                                                   "PureBasic's folder cannot be reached:\n"};
// Around the host folder that this user may not change.
inline constexpr Bilingual denied_host_before{"Le dossier de PureBasic ne peut pas être modifié avec vos droits :\n",
                                              "PureBasic's folder cannot be changed with your rights:\n"};
inline constexpr Bilingual denied_host_after{
    "\nLancez l'installation en tant qu'administrateur. Aucun fichier n'a été installé.",
    "\nRun the installer as an administrator. No file was installed."};

// Lines of the installation run.
inline constexpr char host_line_ending[] = " . . .";
inline constexpr Bilingual file_heading{"Fichier extrait : ", "Extracted file : "};
inline constexpr Bilingual file_not_written{"Fichier non écrit : ", "File not written : "};
// Before the name of a sibling's file that is there and stays, on the next line.
inline constexpr Bilingual file_not_deleted{"Impossible de supprimer le fichier :", "Unable to delete file :"};
inline constexpr Bilingual folder_deleted{"Fichier et dossier supprimé :", "File and folder deleted :"};
inline constexpr Bilingual folder_not_deleted{"Impossible de supprimer le répertoire :", "Unable to delete folder :"};

// The question about the superseded library's example folder: before, the folder path,
// then after.
inline constexpr Bilingual question_title{" Librairie Lumora", " Library Lumora"};
inline constexpr Bilingual question_before{" Effacer le répertoire ", " Delete Folder "};
inline constexpr Bilingual question_after{"\n et son contenu ?", "\n and all the content ?"};

}  // namespace app
