#pragma once

#include <string>

// The user's home folder: $HOME, else the account's entry in the password database, else the
// temporary folder. Never relative, so nothing lands in whatever folder the process runs in.
std::string homeDirectory();
