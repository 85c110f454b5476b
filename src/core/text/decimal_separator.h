#pragma once
// The decimal separator of the user's regional settings. Numbers in register
// records use it; table files never do. It is read once from the environment
// (LC_ALL / LC_NUMERIC / LANG) the first time it is asked for.
namespace vestok {

char UserDecimalSeparator();

// Replaces the separator for the rest of the run (tests pin it to '.' or ',').
void SetUserDecimalSeparator(char separator);

}  // namespace vestok
