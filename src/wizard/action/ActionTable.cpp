#include "wizard/action/ActionTable.h"

#include "wizard/app/PageIndex.h"

namespace orn::wizard {

const std::array<ActionEntry, kActionCount> kActionTable = {{
    {"BackupCFG", "Vollständige Konfiguration sichern",
     "Sichert die aktuelle ORN!-Konfiguration in eine Datei. Damit kann sie z.B. später oder auf einem "
     "anderen Computer wiederhergestellt werden.",
     kBackupCFGPage1},
    {"RestoreCFG", "Vollständige Konfiguration wiederherstellen",
     "Stellt die ORN!-Konfiguration aus einer Sicherungsdatei wieder her. Die aktuelle Konfiguration wird "
     "dabei überschrieben.",
     kRestoreCFGPage1},
    {"ImportCFG", "Import aus einer Datei",
     "Importiert Konfigurationsdaten wie Benutzer und E-Mail-Adressen aus einer ORN!-Konfigurationsdatei "
     "(ORN.CFG). Dabei werden die importierten Daten zu der aktuellen ORN!-Konfiguration hinzugefügt.",
     kImportCFGPage1},
    {"ImportWindowsUsers", "Import aus einem Microsoft-Netzwerk",
     "Importiert Konfigurationsdaten wie Benutzer und E-Mail-Adressen aus einem Microsoft-Netzwerk. Dabei "
     "werden die importierten Daten zu der aktuellen ORN!-Konfiguration hinzugefügt.",
     kImportWindowsUsersPage1},
    {"ExportCSV", "E-Mail-Adressen exportieren",
     "Exportiert Benutzernamen und E-Mail-Adressen von ORN! in eine kommagetrennte Datei (.csv).", kExportCSVPage1},
    {"ImportCSV", "Benutzer aus kommgestrennter Datei (*.csv)  importieren",
     "Benutzerdaten aus kommgestrennter Datei (*.csv)  importieren.", kImportCSVPage1},
    {"ImportLDAPUsers", "Verzeichnisdienst-Benutzer importieren",
     "Benutzer aus einem LDAP-Verzeichnis nach ORN! importieren.", kImportLDAPUsersPage1},
}};

}  // namespace orn::wizard
