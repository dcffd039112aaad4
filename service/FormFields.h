// The form body the window program posts (application/x-www-form-urlencoded).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace service {

using FormFields = std::map<std::string, std::string>;

inline const std::string FormType = "application/x-www-form-urlencoded";

// Whether a body of this Content-Type is a form: no type at all, or the form
// type in any case, with or without parameters ("; charset=utf-8").
bool IsFormType(std::string_view contentType);

// Decodes "name=value&..." ("+" is a space, %XX a byte). Returns nothing and
// sets error when an escape is broken or a name comes twice.
std::optional<FormFields> DecodeForm(std::string_view body, std::string& error);

} // namespace service
