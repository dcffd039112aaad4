// The dialog that asks where to save a file, reached through a replaceable
// function so that tests answer it in advance and never block on a window.
#pragma once

#include <functional>
#include <string>

class QWidget;

struct SaveFileRequest {
    QWidget* owner = nullptr;
    std::string caption;
    std::string suggestedPath;
    std::string filter; // as the dialog takes it: "Web pages (*.html *.htm)"
};

// The chosen path, or empty when the user cancelled.
using SaveFileHandler = std::function<std::string(const SaveFileRequest&)>;

std::string AskSaveFileName(const SaveFileRequest& request);

// Replaces the real dialog; an empty handler restores it. Returns the
// handler that was in place.
SaveFileHandler SetSaveFileHandler(SaveFileHandler handler);
