// Saving the settings file all or nothing: the whole new file is written
// beside the old one, checked, flushed to the disk and only then put in its
// place, so that a full disk, a power cut or a crash during a save leaves
// the old file as it was.
#pragma once

#include "settings_location.h"

namespace dorimo {

// Writes all 61 keys from the controls into the file of the location.
// Throws EIniFileException, the file untouched, when the new file cannot be
// written whole or put in place. Where no new file may be made in the
// folder, the keys are written into the file itself, as the profile
// functions do.
void save_settings_whole(const SlotForm& form, const SettingsLocation& settings);

// Removes a new file that a save broken off by a crash left behind; where
// the settings file itself is missing, it is kept for the user to rename.
void remove_unfinished_save(const SettingsLocation& settings);

}  // namespace dorimo
