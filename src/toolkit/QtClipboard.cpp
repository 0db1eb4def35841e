#include "toolkit/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "graphics/BmpHeaders.h"
#include "platform/Cp932.h"

namespace vlz {

namespace {

const QString BmpType = QStringLiteral("image/bmp");

QClipboard* Clipboard() {
    return QGuiApplication::instance() ? QGuiApplication::clipboard() : nullptr;
}

}  // namespace

QByteArray PackedDibToBmpFile(const TClipboardData& dib) {
    const std::vector<std::uint8_t> file = BmpFileOfPackedDib(dib.data(), dib.size());
    return QByteArray(reinterpret_cast<const char*>(file.data()),
                      static_cast<qsizetype>(file.size()));
}

std::optional<TClipboardData> BmpFileToPackedDib(const QByteArray& file) {
    return PackedDibOfBmpFile(reinterpret_cast<const std::uint8_t*>(file.constData()),
                              static_cast<std::size_t>(file.size()));
}

bool QtClipboardHook::Open() {
    if (FOpen || Clipboard() == nullptr) {
        return false;
    }
    FOpen = true;
    FCleared = false;
    FPending.reset();
    return true;
}

void QtClipboardHook::Close() {
    if (!FOpen) {
        return;
    }
    FOpen = false;
    if (QClipboard* clipboard = Clipboard()) {
        if (FPending) {
            clipboard->setMimeData(FPending.release());
        } else if (FCleared) {
            clipboard->clear();
        }
    }
}

void QtClipboardHook::Clear() {
    FCleared = true;
    FPending.reset();
}

bool QtClipboardHook::HasFormat(TClipboardFormat format) {
    QClipboard* clipboard = Clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (data == nullptr) {
        return false;
    }
    switch (format) {
        case CF_DIB:
            return data->hasFormat(BmpType);
        case CF_TEXT:
            return data->hasText();
        default:
            return false;
    }
}

std::optional<TClipboardData> QtClipboardHook::GetData(TClipboardFormat format) {
    QClipboard* clipboard = Clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (data == nullptr) {
        return std::nullopt;
    }
    if (format == CF_DIB && data->hasFormat(BmpType)) {
        return BmpFileToPackedDib(data->data(BmpType));
    }
    if (format == CF_TEXT && data->hasText()) {
        const std::string text = data->text().toStdString();
        if (!FitsCp932(text)) {
            return std::nullopt;
        }
        const std::string bytes = ToCp932(text);
        TClipboardData result(bytes.begin(), bytes.end());
        result.push_back(0);
        return result;
    }
    return std::nullopt;
}

bool QtClipboardHook::SetData(TClipboardFormat format, TClipboardData data) {
    if (!FOpen) {
        return false;
    }
    if (!FPending) {
        FPending = std::make_unique<QMimeData>();
    }
    if (format == CF_DIB) {
        FPending->setData(BmpType, PackedDibToBmpFile(data));
        return true;
    }
    if (format == CF_TEXT) {
        std::string bytes(data.begin(), data.end());
        if (const std::size_t end = bytes.find('\0'); end != std::string::npos) {
            bytes.resize(end);
        }
        FPending->setText(QString::fromStdString(FromCp932(bytes)));
        return true;
    }
    return false;
}

}  // namespace vlz
