#include "toolkit/FontDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Cp932.h"
#include "platform/MessageBox.h"
#include "toolkit/FontMapping.h"

namespace vlz {
namespace {

struct NamedColor {
    const char* Name;
    TColor Color;
};

// The sixteen colours of the system's font dialog, in its order.
constexpr NamedColor BasicColors[] = {
    {"黒", RGB(0, 0, 0)},           {"茶", RGB(128, 0, 0)},       {"緑", RGB(0, 128, 0)},
    {"オリーブ", RGB(128, 128, 0)}, {"紺", RGB(0, 0, 128)},       {"紫", RGB(128, 0, 128)},
    {"青緑", RGB(0, 128, 128)},     {"灰色", RGB(128, 128, 128)}, {"銀", RGB(192, 192, 192)},
    {"赤", RGB(255, 0, 0)},         {"黄緑", RGB(0, 255, 0)},     {"黄", RGB(255, 255, 0)},
    {"青", RGB(0, 0, 255)},         {"赤紫", RGB(255, 0, 255)},   {"水色", RGB(0, 255, 255)},
    {"白", RGB(255, 255, 255)},
};
constexpr int BasicColorCount = static_cast<int>(std::size(BasicColors));

constexpr int StandardSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// Style list rows: regular, italic, bold, bold italic.
const char* const StyleNames[] = {"標準", "斜体", "太字", "太字 斜体"};

struct NamedCharset {
    const char* Name;
    TFontCharset Charset;
};
constexpr NamedCharset Charsets[] = {
    {"日本語", SHIFTJIS_CHARSET}, {"欧文", ANSI_CHARSET}, {"既定", DEFAULT_CHARSET}};

QIcon Swatch(TColor color) {
    QPixmap pixmap(24, 12);
    pixmap.fill(ToQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 23, 11);
    return QIcon(pixmap);
}

constexpr int ColorRole = Qt::UserRole;
constexpr int OtherColorRole = Qt::UserRole + 1;

}  // namespace

TFontDialogWindow::TFontDialogWindow(const TFont& font, QWidget* parent)
    : QDialog(parent), FFont(font) {
    setWindowTitle("フォント");
    setObjectName("FontDialog");

    FFaceEdit = new QLineEdit(this);
    FFaceEdit->setObjectName("FaceEdit");
    FFaceList = new QListWidget(this);
    FFaceList->setObjectName("FaceList");
    FFaceList->addItems(QFontDatabase::families());
    FStyleList = new QListWidget(this);
    FStyleList->setObjectName("StyleList");
    for (const char* name : StyleNames) {
        FStyleList->addItem(QString::fromUtf8(name));
    }
    FSizeEdit = new QLineEdit(this);
    FSizeEdit->setObjectName("SizeEdit");
    FSizeList = new QListWidget(this);
    FSizeList->setObjectName("SizeList");
    for (int size : StandardSizes) {
        FSizeList->addItem(QString::number(size));
    }

    auto* faceLabel = new QLabel("フォント名(&F):", this);
    faceLabel->setBuddy(FFaceEdit);
    auto* styleLabel = new QLabel("スタイル(&Y):", this);
    styleLabel->setBuddy(FStyleList);
    auto* sizeLabel = new QLabel("サイズ(&S):", this);
    sizeLabel->setBuddy(FSizeEdit);

    auto* effects = new QGroupBox("文字飾り", this);
    FStrikeOutCheckBox = new QCheckBox("取り消し線(&K)", effects);
    FStrikeOutCheckBox->setObjectName("StrikeOutCheckBox");
    FUnderlineCheckBox = new QCheckBox("下線(&U)", effects);
    FUnderlineCheckBox->setObjectName("UnderlineCheckBox");
    FColorComboBox = new QComboBox(effects);
    FColorComboBox->setObjectName("ColorComboBox");
    for (const NamedColor& named : BasicColors) {
        FColorComboBox->addItem(Swatch(named.Color), QString::fromUtf8(named.Name), named.Color);
    }
    FColorComboBox->addItem("その他...");
    FColorComboBox->setItemData(BasicColorCount, true, OtherColorRole);
    auto* colorLabel = new QLabel("色(&C):", effects);
    colorLabel->setBuddy(FColorComboBox);
    auto* effectsLayout = new QVBoxLayout(effects);
    effectsLayout->addWidget(FStrikeOutCheckBox);
    effectsLayout->addWidget(FUnderlineCheckBox);
    effectsLayout->addWidget(colorLabel);
    effectsLayout->addWidget(FColorComboBox);
    effectsLayout->addStretch();

    auto* sampleBox = new QGroupBox("サンプル", this);
    FSample = new QLabel("Aaあぁアァ亜宇", sampleBox);
    FSample->setObjectName("Sample");
    FSample->setAlignment(Qt::AlignCenter);
    FSample->setMinimumSize(180, 60);
    auto* charsetLabel = new QLabel("文字セット(&R):", sampleBox);
    FCharsetComboBox = new QComboBox(sampleBox);
    FCharsetComboBox->setObjectName("CharsetComboBox");
    charsetLabel->setBuddy(FCharsetComboBox);
    for (const NamedCharset& named : Charsets) {
        FCharsetComboBox->addItem(QString::fromUtf8(named.Name), named.Charset);
    }
    int charsetIndex = FCharsetComboBox->findData(FFont.Charset);
    if (charsetIndex < 0) {
        FCharsetComboBox->addItem(QString("その他 (%1)").arg(FFont.Charset), FFont.Charset);
        charsetIndex = FCharsetComboBox->count() - 1;
    }
    FCharsetComboBox->setCurrentIndex(charsetIndex);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(FSample, 1);
    sampleLayout->addWidget(charsetLabel);
    sampleLayout->addWidget(FCharsetComboBox);

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
    connect(buttons, &QDialogButtonBox::accepted, this, &TFontDialogWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFontDialogWindow::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(faceLabel, 0, 0);
    grid->addWidget(styleLabel, 0, 1);
    grid->addWidget(sizeLabel, 0, 2);
    grid->addWidget(FFaceEdit, 1, 0);
    grid->addWidget(FStyleList, 1, 1, 2, 1);
    grid->addWidget(FSizeEdit, 1, 2);
    grid->addWidget(FFaceList, 2, 0);
    grid->addWidget(FSizeList, 2, 2);
    grid->addWidget(buttons, 0, 3, 3, 1, Qt::AlignTop);
    grid->addWidget(effects, 3, 0);
    grid->addWidget(sampleBox, 3, 1, 1, 3);
    grid->setColumnStretch(0, 3);

    // The working font into the controls.
    FFaceEdit->setText(QString::fromStdString(FFont.Name));
    FaceTyped(FFaceEdit->text());
    int style = (FFont.Style.Contains(TFontStyle::fsItalic) ? 1 : 0) +
                (FFont.Style.Contains(TFontStyle::fsBold) ? 2 : 0);
    FStyleList->setCurrentRow(style);
    FSizeEdit->setText(QString::number(FFont.Size));
    if (auto found = FSizeList->findItems(FSizeEdit->text(), Qt::MatchExactly); !found.isEmpty()) {
        FSizeList->setCurrentItem(found.front());
    }
    FStrikeOutCheckBox->setChecked(FFont.Style.Contains(TFontStyle::fsStrikeOut));
    FUnderlineCheckBox->setChecked(FFont.Style.Contains(TFontStyle::fsUnderline));
    SelectColor(FFont.Color);

    connect(FFaceEdit, &QLineEdit::textEdited, this, &TFontDialogWindow::FaceTyped);
    connect(FFaceList, &QListWidget::itemSelectionChanged, this, &TFontDialogWindow::FaceChosen);
    connect(FSizeList, &QListWidget::itemSelectionChanged, this, &TFontDialogWindow::SizeChosen);
    connect(FSizeEdit, &QLineEdit::textChanged, this, &TFontDialogWindow::UpdateSample);
    connect(FStyleList, &QListWidget::currentRowChanged, this, &TFontDialogWindow::UpdateSample);
    connect(FStrikeOutCheckBox, &QCheckBox::toggled, this, &TFontDialogWindow::UpdateSample);
    connect(FUnderlineCheckBox, &QCheckBox::toggled, this, &TFontDialogWindow::UpdateSample);
    connect(FColorComboBox, &QComboBox::activated, this, &TFontDialogWindow::ColorChosen);
    connect(FCharsetComboBox, &QComboBox::currentIndexChanged, this,
            &TFontDialogWindow::UpdateSample);
    UpdateSample();
}

void TFontDialogWindow::SelectColor(TColor color) {
    int index = -1;
    for (int row = 0; row < FColorComboBox->count(); ++row) {
        QVariant value = FColorComboBox->itemData(row, ColorRole);
        if (value.isValid() && value.toInt() == color) {
            index = row;
            break;
        }
    }
    if (index < 0) {
        // Kept as given, so that a system colour is written back as the same code.
        FColorComboBox->addItem(Swatch(color), "カスタム", color);
        index = FColorComboBox->count() - 1;
    }
    FColorComboBox->setCurrentIndex(index);
    FLastColorIndex = index;
    UpdateSample();
}

void TFontDialogWindow::ColorChosen(int index) {
    if (!FColorComboBox->itemData(index, OtherColorRole).toBool()) {
        FLastColorIndex = index;
        UpdateSample();
        return;
    }
    TColor current = FColorComboBox->itemData(FLastColorIndex, ColorRole).toInt();
    QColor chosen = QColorDialog::getColor(ToQColor(current), this, "色の設定",
                                           QColorDialog::DontUseNativeDialog);
    if (chosen.isValid()) {
        SelectColor(FromQColor(chosen));
    } else {
        FColorComboBox->setCurrentIndex(FLastColorIndex);
    }
}

void TFontDialogWindow::FaceTyped(const QString& text) {
    auto matches = FFaceList->findItems(text, Qt::MatchStartsWith);
    if (!matches.isEmpty()) {
        QSignalBlocker quiet(FFaceList);
        FFaceList->setCurrentItem(matches.front());
        FFaceList->scrollToItem(matches.front());
    }
    UpdateSample();
}

void TFontDialogWindow::FaceChosen() {
    if (auto* item = FFaceList->currentItem()) {
        FFaceEdit->setText(item->text());
    }
    UpdateSample();
}

void TFontDialogWindow::SizeChosen() {
    if (auto* item = FSizeList->currentItem()) {
        FSizeEdit->setText(item->text());
    }
}

TFont TFontDialogWindow::Font() const {
    TFont font = FFont;
    font.Name = FFaceEdit->text().trimmed().toStdString();
    bool number = false;
    int size = FSizeEdit->text().trimmed().toInt(&number);
    if (number && size > 0) {
        font.Size = size;
    }
    int style = std::max(FStyleList->currentRow(), 0);
    TFontStyles styles;
    if (style & 1) {
        styles.Include(TFontStyle::fsItalic);
    }
    if (style & 2) {
        styles.Include(TFontStyle::fsBold);
    }
    if (FUnderlineCheckBox->isChecked()) {
        styles.Include(TFontStyle::fsUnderline);
    }
    if (FStrikeOutCheckBox->isChecked()) {
        styles.Include(TFontStyle::fsStrikeOut);
    }
    font.Style = styles;
    font.Color = FColorComboBox->itemData(FLastColorIndex, ColorRole).toInt();
    font.Charset = static_cast<TFontCharset>(FCharsetComboBox->currentData().toInt());
    return font;
}

void TFontDialogWindow::UpdateSample() {
    if (FSample == nullptr || FColorComboBox == nullptr) {
        return;
    }
    TFont font = Font();
    FSample->setFont(ToQFont(font));
    QPalette colors = FSample->palette();
    colors.setColor(QPalette::WindowText, ToQColor(font.Color));
    FSample->setPalette(colors);
}

void TFontDialogWindow::accept() {
    const QString face = FFaceEdit->text().trimmed();
    if (face.isEmpty()) {
        ShowMessageBox("フォント名を指定してください。", "フォント", MB_OK | MB_ICONWARNING);
        FFaceEdit->setFocus();
        return;
    }
    // The name is saved in Shift-JIS: one it cannot hold would make every later save fail. The
    // name the dialog opened on came from the file and is kept whatever it holds.
    if (face != QString::fromStdString(FFont.Name).trimmed() && !FitsCp932(face.toStdString())) {
        ShowMessageBox(
            "このフォント名は Shift-JIS で保存できません。別のフォントを選んでください。",
            "フォント", MB_OK | MB_ICONWARNING);
        FFaceEdit->setFocus();
        return;
    }
    bool number = false;
    int size = FSizeEdit->text().trimmed().toInt(&number);
    if (!number || size <= 0) {
        ShowMessageBox("サイズには正の整数を指定してください。", "フォント",
                       MB_OK | MB_ICONWARNING);
        FSizeEdit->setFocus();
        FSizeEdit->selectAll();
        return;
    }
    QDialog::accept();
}

bool TFontDialog::Execute(QWidget* parent) {
    TFontDialogWindow window(Font, parent);
    if (window.exec() != QDialog::Accepted) {
        return false;
    }
    Font = window.Font();
    return true;
}

}  // namespace vlz
