// The multipart/form-data upload of the HTTP request component.
#include "text/FileNames.h"
#include "text/WholeFile.h"
#include "transfer/acHTTP.h"
#include "transfer/acHTTPTransfer.h"

#include <QImage>
#include <QRandomGenerator>
#include <algorithm>

namespace {

// Quotes, CR and LF inside a name would end the header parameter early.
std::string QuotedParameter(const std::string& text)
{
    std::string quoted;
    for (const char character : text) {
        if (character == '"')
            quoted += "%22";
        else if (character == '\r')
            quoted += "%0D";
        else if (character == '\n')
            quoted += "%0A";
        else
            quoted += character;
    }
    return quoted;
}

std::string RandomBoundary()
{
    static const char digits[] = "0123456789abcdef";
    std::string boundary = "--------TornaloBoundary";
    for (int index = 0; index < 24; ++index)
        boundary += digits[QRandomGenerator::global()->bounded(16)];
    return boundary;
}

} // namespace

void TacCustomHTTP::BeginPrepareUpload()
{
    uploadParts_.clear();
    preparingUpload_ = true;
}

void TacCustomHTTP::AddUploadPart(
    const std::string& FieldName, const std::string& FileName, const std::string& data)
{
    if (!preparingUpload_)
        BeginPrepareUpload();
    uploadParts_.push_back({ FieldName, FileName, data });
}

void TacCustomHTTP::UploadString(const std::string& FieldName, const std::string& Value)
{
    AddUploadPart(FieldName, {}, Value);
}

void TacCustomHTTP::UploadInteger(const std::string& FieldName, int Value)
{
    AddUploadPart(FieldName, {}, std::to_string(Value));
}

void TacCustomHTTP::UploadBoolean(const std::string& FieldName, bool Value)
{
    AddUploadPart(FieldName, {}, Value ? "True" : "False");
}

void TacCustomHTTP::UploadStream(
    const std::string& FieldName, const std::string& FileName, TStream* Stream)
{
    std::string data;
    if (Stream && Stream->seek(0))
        data = Stream->readAll().toStdString();
    AddUploadPart(FieldName, FileName, data);
}

bool TacCustomHTTP::UploadPicture(const std::string& FieldName, const std::string& PictureFileName)
{
    std::optional<std::string> data = text::ReadWholeFile(PictureFileName);
    if (data)
        AddUploadPart(FieldName, std::string(text::FileNamePart(PictureFileName)), *data);
    return data.has_value();
}

bool TacCustomHTTP::UploadThumbnailedPicture(
    const std::string& FieldName, const std::string& PictureFileName, int MaxWidth, int MaxHeight)
{
    QImage picture(QString::fromUtf8(PictureFileName.c_str()));
    if (picture.isNull() || MaxWidth <= 0 || MaxHeight <= 0)
        return false;
    if (picture.width() > MaxWidth || picture.height() > MaxHeight)
        picture
            = picture.scaled(MaxWidth, MaxHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const bool png = MimeTypeForFileName(PictureFileName) == "image/png";
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, png ? "PNG" : "JPEG"))
        return false;
    std::string name(text::FileNamePart(PictureFileName));
    if (!png)
        name = text::ChangeExtension(name, ".jpg");
    AddUploadPart(FieldName, name, encoded.toStdString());
    return true;
}

std::string TacCustomHTTP::UploadBody(std::string& boundary) const
{
    // The boundary must occur in no part; a random one almost never does,
    // and a clash just draws another.
    const auto clashes = [this](const std::string& candidate) {
        return std::any_of(uploadParts_.begin(), uploadParts_.end(),
            [&](const UploadPart& part) { return part.data.find(candidate) != std::string::npos; });
    };
    do
        boundary = RandomBoundary();
    while (clashes(boundary));
    std::string body;
    for (const UploadPart& part : uploadParts_) {
        body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\""
            + QuotedParameter(part.fieldName) + "\"";
        if (!part.fileName.empty())
            body += "; filename=\"" + QuotedParameter(part.fileName)
                + "\"\r\nContent-Type: " + MimeTypeForFileName(part.fileName);
        body += "\r\n\r\n" + part.data + "\r\n";
    }
    return body + "--" + boundary + "--\r\n";
}

bool TacCustomHTTP::EndPrepareUpload(bool Wait)
{
    if (!preparingUpload_ || GetRequestBusy())
        return false;
    auto transfer = NewTransfer(0, 0);
    std::string boundary;
    transfer->settings.Upload = true;
    transfer->settings.UploadBody = UploadBody(boundary);
    transfer->settings.UploadHeader = "Content-Type: multipart/form-data, boundary=" + boundary;
    preparingUpload_ = false;
    uploadParts_.clear();
    return StartTransfer(transfer, Wait);
}

bool TacCustomHTTP::Upload(std::uint16_t FileCount, bool Wait)
{
    if (GetRequestBusy())
        return false;
    BeginPrepareUpload();
    for (std::uint16_t index = 0; index < FileCount; ++index) {
        QBuffer stream;
        stream.open(QIODevice::ReadWrite);
        std::string fieldName;
        std::string fileName;
        if (OnUploadFieldRequest)
            OnUploadFieldRequest(this, index, &stream, fieldName, fileName);
        AddUploadPart(fieldName, fileName, stream.data().toStdString());
    }
    return EndPrepareUpload(Wait);
}
