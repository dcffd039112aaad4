// Attributes of the component's output files. Read-only is the file's write
// permission; the other attributes have no meaning to this file system and
// are kept in a record of the process, by path, which tests can look at.
#pragma once

#include "transfer/acHTTPTypes.h"

#include <string>

// The attributes of an existing file: its record, or archive alone for a file
// this process never marked; read-only from its permissions.
TacFileAttributes GetOutputFileAttributes(const std::string& path);
void SetOutputFileAttributes(const std::string& path, TacFileAttributes attributes);
// Deletes the file and its record.
void DeleteOutputFile(const std::string& path);
