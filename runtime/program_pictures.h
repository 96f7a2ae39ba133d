// The pictures compiled into the program: the main form's image list and the settings dialog's.
#pragma once

#include <string>

// The bytes of the .bmp file of that name (without extension); empty for no such picture.
std::string ProgramPicture(const std::string& name);
