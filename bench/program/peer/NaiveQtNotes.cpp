// The peer of the program benchmarks: a notes program written the obvious Qt way. Each note is a
// frameless 320 x 110 window that paints its frame and its character's current frame, a memo on
// top, and a timer of its own that moves the character on and asks for the note to be painted
// again. Usage: naive_qt_notes N

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int Intervals[] = {200, 250, 300, 350, 400};  // as the bundled characters

std::vector<QPixmap> CharacterFrames(int seed) {
    std::vector<QPixmap> frames;
    for (int frame = 0; frame < 4; ++frame) {
        QPixmap pixmap(68, 89);
        pixmap.fill(QColor(222, 158, 82));
        QPainter painter(&pixmap);
        painter.setBrush(QColor::fromHsv((seed * 70) % 360, 160, 230));
        painter.drawEllipse(18 + frame * 2, 28 - frame * 2, 32, 32);
        frames.push_back(pixmap);
    }
    return frames;
}

class Note : public QWidget {
  public:
    Note(int index, const std::vector<QPixmap>& frames)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), frames_(frames) {
        setFixedSize(320, 110);
        move((index % 3) * 330, (index / 3) * 112);
        auto* memo = new QPlainTextEdit(this);
        memo->setGeometry(91, 17, 211, 79);
        memo->setPlainText(QStringLiteral("note %1").arg(index));
        connect(&timer_, &QTimer::timeout, this, [this] {
            frame_ = (frame_ + 1) % static_cast<int>(frames_.size());
            update();
        });
        timer_.start(Intervals[index % 5]);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(222, 158, 82));
        painter.fillRect(91, 17, 211, 79, Qt::black);
        painter.drawPixmap(12, 12, frames_[static_cast<std::size_t>(frame_)]);
    }

  private:
    std::vector<QPixmap> frames_;
    QTimer timer_;
    int frame_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1;
    std::vector<std::unique_ptr<Note>> notes;
    for (int index = 0; index < count; ++index) {
        notes.push_back(std::make_unique<Note>(index, CharacterFrames(index % 5)));
        notes.back()->show();
    }
    return application.exec();
}
