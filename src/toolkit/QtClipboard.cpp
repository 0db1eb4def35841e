#include "toolkit/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/Cp932.h"

namespace vlz {

namespace {

const QString BmpType = QStringLiteral("image/bmp");

std::uint32_t ReadLittle32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void WriteLittle32(char* bytes, std::uint32_t value) {
    for (int index = 0; index < 4; ++index) {
        bytes[index] = static_cast<char>(value >> (8 * index));
    }
}

QClipboard* Clipboard() {
    return QGuiApplication::instance() ? QGuiApplication::clipboard() : nullptr;
}

}  // namespace

QByteArray PackedDibToBmpFile(const TClipboardData& dib) {
    // BITMAPFILEHEADER: "BM", file size, two reserved words, offset of the pixels. The pixels
    // follow the header and the colour table; their offset needs the header's own fields.
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    WriteLittle32(file.data() + 2, static_cast<std::uint32_t>(14 + dib.size()));
    std::uint32_t offset = 14;
    if (dib.size() >= 40) {
        const std::uint32_t headerSize = ReadLittle32(dib.data());
        const std::uint32_t bitCount = dib[14] | (dib[15] << 8);
        const std::uint32_t compression = ReadLittle32(dib.data() + 16);
        std::uint32_t colours = ReadLittle32(dib.data() + 32);
        if (colours == 0 && bitCount <= 8) {
            colours = 1u << bitCount;
        }
        const std::uint32_t masks = compression == 3 && headerSize == 40 ? 12 : 0;
        offset += headerSize + masks + colours * 4;
    }
    WriteLittle32(file.data() + 10, offset);
    file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    return file;
}

std::optional<TClipboardData> BmpFileToPackedDib(const QByteArray& file) {
    if (file.size() < 14 + 12 || file[0] != 'B' || file[1] != 'M') {
        return std::nullopt;
    }
    const auto* begin = reinterpret_cast<const std::uint8_t*>(file.constData());
    return TClipboardData(begin + 14, begin + file.size());
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
