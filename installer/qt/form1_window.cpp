#include "installer/qt/form1_window.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTimer>
#include <exception>
#include <optional>

#include "installer/unit1.h"
#include "platform/links.h"

namespace installer {

namespace {

constexpr int ClientWidth = 426;
constexpr int ClientHeight = 121;

// A panel with the toolkit's two bevels: the outer one raised, the inner one lowered.
class BevelPanel final : public QFrame {
 public:
  explicit BevelPanel(QWidget* parent) : QFrame(parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QPalette& colours = palette();
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    DrawBevel(painter, outer, colours.color(QPalette::Light), colours.color(QPalette::Dark));
    DrawBevel(painter, inner, colours.color(QPalette::Dark), colours.color(QPalette::Light));
  }

 private:
  static void DrawBevel(QPainter& painter, const QRect& bounds, const QColor& topLeft, const QColor& bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(bounds.topLeft(), bounds.topRight());
    painter.drawLine(bounds.topLeft(), bounds.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(bounds.bottomLeft(), bounds.bottomRight());
    painter.drawLine(bounds.topRight(), bounds.bottomRight());
  }
};

[[nodiscard]] QString FromAnsi(const std::string& text) { return QString::fromUtf8(text.c_str()); }
[[nodiscard]] std::string ToAnsi(const QString& text) { return text.toUtf8().toStdString(); }

// "description|pattern|..." as Qt's "description (pattern);;...".
[[nodiscard]] QString QtFilterOf(const std::string& filter) {
  const QStringList parts = FromAnsi(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype index = 0; index + 1 < parts.size(); index += 2) {
    filters << QStringLiteral("%1 (%2)").arg(parts[index], QString(parts[index + 1]).replace(QLatin1Char(';'),
                                                                                              QLatin1Char(' ')));
  }
  return filters.join(QStringLiteral(";;"));
}

// A folder the file dialog can open: a Windows name of the Wine prefix ("C:\...")
// becomes the folder it leads to.
[[nodiscard]] QString DialogFolderOf(const std::string& folder) {
  if (const std::optional<std::string> resolved = platform::GetFinalPathName(folder)) {
    return FromAnsi(*resolved);
  }
  return FromAnsi(folder);
}

// The form's own icon: a package with an arrow into it, drawn rather than shipped.
[[nodiscard]] QIcon FormIcon() {
  constexpr int Size = 32;
  QPixmap picture(Size, Size);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(40, 60, 120), 2));
  painter.setBrush(QColor(70, 110, 200));
  painter.drawRect(4, 14, 24, 15);
  painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(16, 3, 16, 22);
  painter.drawLine(10, 16, 16, 22);
  painter.drawLine(22, 16, 16, 22);
  return QIcon(picture);
}

// Qt cannot carry an exception out of a slot: a handler's exception is shown the
// way the application shows one, in a box with its message, and the form goes on.
template <typename Handler>
void RunHandler(QWidget* window, Handler handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    QMessageBox::critical(window, QCoreApplication::applicationName(), QString::fromUtf8(error.what()));
  }
}

}  // namespace

QFont FormFont() {
  constexpr int PointSize = 8;
  const QString designFamily = QStringLiteral("MS Sans Serif");
  if (QFontDatabase::families().contains(designFamily)) {
    return QFont(designFamily, PointSize);
  }
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPointSize(PointSize);
  return font;
}

Form1Window::Form1Window() {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Installing Patch"));
  setWindowIcon(FormIcon());
  setFont(FormFont());
  setFixedSize(ClientWidth, ClientHeight);
  CreateControls();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void Form1Window::CreateControls() {
  Panel1 = new BevelPanel(this);
  Panel1->setGeometry(0, 0, ClientWidth, ClientHeight);

  Label2 = new QLabel(QStringLiteral("Label2"), Panel1);
  Label2->setGeometry(16, 12, 345, 17);
  QFont bold = font();
  bold.setBold(true);
  Label2->setFont(bold);

  Label1 = new QLabel(QStringLiteral("Label1"), Panel1);
  Label1->setGeometry(8, 58, 345, 17);
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  Edit1 = new QLineEdit(QStringLiteral("Edit1"), Panel1);
  Edit1->setGeometry(16, 32, 345, 21);

  browse = new QPushButton(QStringLiteral("Browse"), Panel1);
  browse->setGeometry(360, 32, 57, 25);

  ProgressBar1 = new QProgressBar(Panel1);
  ProgressBar1->setGeometry(16, 32, 345, 22);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();

  Button2 = new QPushButton(QStringLiteral("Install"), Panel1);
  Button2->setGeometry(16, 80, 105, 33);

  cancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
  cancel->setGeometry(312, 80, 105, 33);

  setTabOrder(Edit1, browse);
  setTabOrder(browse, ProgressBar1);
  setTabOrder(ProgressBar1, Button2);
  setTabOrder(Button2, cancel);
  Edit1->setFocus();
}

void Form1Window::Attach(TForm1& form) {
  form_ = &form;
  connect(browse, &QPushButton::clicked, this, [this] { RunHandler(this, [this] { form_->browseClick(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { RunHandler(this, [this] { form_->Button2Click(); }); });
  connect(cancel, &QPushButton::clicked, this, [this] { RunHandler(this, [this] { form_->cancelClick(); }); });
}

std::string Form1Window::Caption() const { return ToAnsi(windowTitle()); }
void Form1Window::SetCaption(const std::string& text) { setWindowTitle(FromAnsi(text)); }
void Form1Window::SetLabel1Text(const std::string& text) { Label1->setText(FromAnsi(text)); }
void Form1Window::SetLabel2Text(const std::string& text) { Label2->setText(FromAnsi(text)); }
std::string Form1Window::Edit1Text() const { return ToAnsi(Edit1->text()); }
void Form1Window::SetEdit1Text(const std::string& text) { Edit1->setText(FromAnsi(text)); }
void Form1Window::ShowProgressBar() { ProgressBar1->show(); }
void Form1Window::SetProgressMaximum(std::uint16_t maximum) { ProgressBar1->setMaximum(maximum); }
void Form1Window::SetProgressPosition(std::uint16_t position) { ProgressBar1->setValue(position); }

DialogOutcome Form1Window::ExecuteOpenDialog(TOpenDialog& dialog) {
  QFileDialog files(this, FromAnsi(dialog.Title), DialogFolderOf(dialog.InitialDir), QtFilterOf(dialog.Filter));
  files.setAcceptMode(QFileDialog::AcceptOpen);
  files.setFileMode(dialog.Options.Contains(TOpenOption::ofFileMustExist) ? QFileDialog::ExistingFile
                                                                         : QFileDialog::AnyFile);
  files.setDefaultSuffix(FromAnsi(dialog.DefaultExt));
  files.selectFile(FromAnsi(dialog.FileName));
  if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty()) {
    return DialogOutcome::Cancelled;
  }
  dialog.FileName = ToAnsi(files.selectedFiles().constFirst());
  return DialogOutcome::Confirmed;
}

void Form1Window::Close() { close(); }

void Form1Window::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The form's on-show handler may close the form; it runs once the window is up.
  QTimer::singleShot(0, this, [this] {
    if (form_ != nullptr) {
      RunHandler(this, [this] { form_->FormShow(); });
    }
  });
}

void Form1Window::closeEvent(QCloseEvent* event) {
  if (form_ == nullptr || closed_) {
    event->accept();
    return;
  }
  if (!form_->FormCloseQuery()) {
    event->ignore();
    return;
  }
  RunHandler(this, [this] { form_->FormClose(); });
  closed_ = true;
  event->accept();
}

}  // namespace installer
