// Before anything else of a run, the installer finishes an update that was cut short
// (see update/UpdateRecovery.h) and tells the user what it did.
#pragma once

// Restores the installation from an interrupted update's backup, or keeps the
// update's files when it had been recorded, and shows the outcome ("確認", or "警告"
// when the restore failed). Nothing is shown when no update was cut short.
void RecoverUpdateAtStart();
