#include "gui/chart_plots.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <clocale>
#include <memory>
#include <string>
#include <system_error>

#include "app/batch_run.hpp"
#include "app/session.hpp"
#include "charts/chart_files.hpp"
#include "gui/chart_render.hpp"
#include "model/messages.hpp"

namespace dodavev {

int RunBatchWithPlots(Session& session, const std::filesystem::path& batchFile,
                      const std::filesystem::path& plotDir) {
  std::error_code ec;
  std::filesystem::create_directories(plotDir, ec);
  if (ec || !std::filesystem::is_directory(plotDir, ec)) {
    session.messages.Show("The chart directory " + plotDir.string() +
                          " cannot be made: " + (ec ? ec.message() : "not a directory"));
    return 1;
  }

  // Charts are laid out by Qt Charts, which needs an application object; the offscreen
  // platform draws without any display. Qt sets the C library's locale from the
  // environment when it starts; the reports of the records must keep the "." decimal
  // point, so the locale is put back.
  // The application keeps the argument list for its lifetime: these outlive it.
  char name[] = "dodavev";
  char platformOption[] = "-platform";
  char platform[] = "offscreen";
  char* args[] = {name, platformOption, platform, nullptr};
  int count = 3;
  std::unique_ptr<QApplication> app;
  if (QCoreApplication::instance() == nullptr) {
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string locale = current != nullptr ? current : "C";
    app = std::make_unique<QApplication>(count, args);
    std::setlocale(LC_ALL, locale.c_str());
  }

  BatchRunOptions options;
  // A BatchFile record does not remember its parameter file as the window's last one, so
  // the pictures are titled with the record's own parameter file.
  options.afterRecord = [&](const Session& s, const BatchRecord& record) {
    WriteChartSets(s, plotDir, PlotBaseName(record.outputLine, record.number), record.parameterFile,
                   session.messages);
  };
  return RunBatchFile(session, batchFile, options);
}

}  // namespace dodavev
