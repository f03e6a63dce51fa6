// What a backup takes besides the configuration and the task values, and where it works.
#pragma once

namespace orn {

// Further files of the installation directory, in archive order ("bpjslist.cfg" stands in the
// table twice, so the archive carries it twice).
inline constexpr const char* kBackupFiles[] = {
    "dnspass.cfg",
    "dnsfilt.cfg",
    "blacklist.cfg",
    "whitelist.cfg",
    "imagedef.cfg",
    "jnkblist.cfg",
    "bpjslist.cfg",
    "spam_absender.cfg",
    "spam_empfang.cfg",
    "spam_betreff.cfg",
    "spam_sperrwort.cfg",
    "SPAM_AUSNAHMEN_ABSENDER.CFG",
    "SPAM_AUSNAHMEN_BETREFF.CFG",
    "SPAM_AUSNAHMEN_EMPFANG.CFG",
    "SPAM_AUSNAHMEN_SPERRWORT.CFG",
    "spam_pal.cfg",
    "bpjslist.cfg",
    "cofsdll.cfg",
    "mid.cfg",
};

// The folder of the installation that is saved with everything below it.
inline constexpr const char* kArchiveFolder = "arsp";

// Working folders below TEMP: the backup's and the restore's.
inline constexpr const char* kBackupWorkFolder = "orncfg";
inline constexpr const char* kRestoreWorkFolder = "orn";

// The caption of every message of the actions.
inline constexpr const char* kActionCaption = "Konfiguration von ORN! sichern/wiederherstellen...";

}  // namespace orn
