#include "app/SaveFileDialog.h"

#include "platform/QtText.h"

#include <QFileDialog>

namespace {

std::string ShowDialog(const SaveFileRequest& request)
{
    return platform::ToBytes(
        QFileDialog::getSaveFileName(request.owner, platform::ToQString(request.caption),
            platform::ToQString(request.suggestedPath), platform::ToQString(request.filter)));
}

SaveFileHandler& Handler()
{
    static SaveFileHandler handler;
    return handler;
}

} // namespace

std::string AskSaveFileName(const SaveFileRequest& request)
{
    return Handler() ? Handler()(request) : ShowDialog(request);
}

SaveFileHandler SetSaveFileHandler(SaveFileHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
