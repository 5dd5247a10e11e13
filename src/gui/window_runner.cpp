#include "gui/window_runner.hpp"

#include <QApplication>
#include <QIcon>
#include <memory>

#include "app/program.hpp"
#include "app/session.hpp"
#include "gui/main_window.hpp"
#include "gui/window_message_sink.hpp"

namespace dodavev {

int RunWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("DOdavev"));
  QApplication::setApplicationVersion(QString::fromUtf8(ProgramVersion()));
  QApplication::setDesktopFileName(QStringLiteral("dodavev"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("dodavev")));

  WindowMessageSink sink;
  auto session = std::make_unique<Session>(sink);
  const std::filesystem::path programDir =
      FindProgramDirectory(argc > 0 && argv[0] != nullptr ? argv[0] : "dodavev");
  // Start-up messages (missing data files) are shown before the window opens; the
  // program goes on with whatever was read.
  FormCreate(*session, programDir, LevDirectoryFor(programDir));

  TDVornex window(*session, sink);
  window.show();
  return QApplication::exec();
}

}  // namespace dodavev
