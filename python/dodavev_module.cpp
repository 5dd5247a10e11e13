// The Python module "dodavev" (compiled part "_dodavev"): sessions with the program's
// inputs, files, "OK" and calculations, results as NumPy arrays. Every action runs with
// the interpreter's lock released, so that sessions in separate threads run in parallel.
#include <dlfcn.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/calculations.hpp"
#include "app/input_fields.hpp"
#include "app/program.hpp"
#include "script_session.hpp"

namespace py = pybind11;
using namespace dodavev;

namespace {

// Raised with the program's messages; its `messages` attribute holds them as a list.
struct InputFailure {
  std::vector<std::string> messages;
};

// Raised for a file that could not be read or written: the "#" + code message.
struct FileFailure {
  int code = 0;
  std::string message;
};

py::handle& InputErrorType() {
  static py::handle type;
  return type;
}

// Texts the program made from the user's inputs: UTF-8 as Python gave them, with any byte
// that is not (a file read in another encoding) replaced rather than refused.
py::str Utf8(const std::string& text) {
  PyObject* o = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
  if (o == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(o);
}

py::list Utf8List(const std::vector<std::string>& texts) {
  py::list out;
  for (const std::string& t : texts)
    out.append(Utf8(t));
  return out;
}

// The reports are 8-bit text (Windows-1252 column heads): byte for byte as Latin-1, so
// that report.encode("latin-1") is what the results file holds.
py::str Latin1(const std::string& text) {
  PyObject* o = PyUnicode_DecodeLatin1(text.data(), static_cast<Py_ssize_t>(text.size()), nullptr);
  if (o == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(o);
}

std::string Joined(const std::vector<std::string>& messages) {
  std::string s;
  for (const std::string& m : messages) {
    if (!s.empty()) s += "\n";
    s += m;
  }
  return s;
}

// The folder this module was loaded from.
std::filesystem::path ModuleDirectory() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleDirectory), &info) != 0 && info.dli_fname != nullptr)
    return std::filesystem::path(info.dli_fname).parent_path();
  return {};
}

// The start-up data: "LEV" beside the module (a build tree), else the installed one.
std::filesystem::path DefaultLevDirectory() {
  return LevDirectoryFor(ModuleDirectory());
}

const InputField& Field(const std::string& name) {
  const InputField* f = FindInputField(name);
  if (f == nullptr) throw py::key_error(UnknownInputText(name));
  return *f;
}

bool IsBool(const py::handle& v) {
  if (py::isinstance<py::bool_>(v)) return true;
  // NumPy's bool scalars are no Python bools.
  return py::hasattr(v, "dtype") && py::hasattr(v, "item") &&
         py::isinstance<py::bool_>(v.attr("item")());
}

// The text of a value set from Python: a string as it is, a number as Python writes it
// ("2000", "0.05", "1e+17"), which is how the program reads numbers too.
std::string TextOf(const InputField& f, const py::handle& v) {
  if (py::isinstance<py::str>(v)) return v.cast<std::string>();
  if (!IsBool(v) && PyNumber_Check(v.ptr()) != 0 &&
      (f.kind == InputKind::kNumber || f.kind == InputKind::kWholeNumber)) {
    return py::str(v).cast<std::string>();
  }
  throw py::type_error(std::string(f.shortName) + " takes " +
                       (f.kind == InputKind::kNumber || f.kind == InputKind::kWholeNumber
                            ? "a number or a text"
                            : "a text") +
                       ", not " + std::string(py::str(v.get_type().attr("__name__"))));
}

void RaiseForFile(ScriptFileOutcome&& outcome) {
  if (outcome.errorCode == 0) return;
  for (std::string& m : outcome.messages) {
    if (!m.empty() && m.front() == '#') throw FileFailure{outcome.errorCode, std::move(m)};
  }
  throw FileFailure{outcome.errorCode, Joined(outcome.messages)};
}

// A file action: runs without the interpreter's lock, raises OSError for an input/output
// failure and returns the other messages.
template <class Action>
py::list FileAction(Action&& action) {
  ScriptFileOutcome outcome;
  {
    py::gil_scoped_release unlocked;
    outcome = action();
  }
  py::list messages = Utf8List(outcome.messages);
  RaiseForFile(std::move(outcome));
  return messages;
}

py::array_t<double> Array2d(const ScriptTable& t) {
  const auto rows = static_cast<py::ssize_t>(t.rows);
  const auto cols = static_cast<py::ssize_t>(t.columns.size());
  py::array_t<double> a({rows, cols});
  std::copy(t.values.begin(), t.values.begin() + static_cast<std::ptrdiff_t>(rows * cols),
            a.mutable_data());
  return a;
}

py::array_t<double> Array1d(const std::vector<double>& v) {
  py::array_t<double> a(static_cast<py::ssize_t>(v.size()));
  std::copy(v.begin(), v.end(), a.mutable_data());
  return a;
}

// What Python sees of a calculation's results.
struct Result {
  std::string name;
  py::object report, detailReport, messages;
  std::string calcMode, spectrumFlag;
  py::object resolution, resolutionColumns, optimisation, optimisationColumns, excitation,
      excitationColumns, energyLoss, energyLossColumns, tschalar, tschalarColumns;
  py::object channels, energies, spectrum, measured;

  explicit Result(const ScriptResult& r)
      : name(r.name),
        report(Latin1(r.report)),
        detailReport(Latin1(r.detailReport)),
        messages(Utf8List(r.messages)),
        calcMode(r.calcMode == '\0' ? "" : std::string(1, r.calcMode)),
        spectrumFlag(r.spectrumFlag == '\0' ? "" : std::string(1, r.spectrumFlag)),
        resolution(Array2d(r.resolution)),
        resolutionColumns(py::tuple(py::cast(r.resolution.columns))),
        optimisation(Array2d(r.optimisation)),
        optimisationColumns(py::tuple(py::cast(r.optimisation.columns))),
        excitation(Array2d(r.excitation)),
        excitationColumns(py::tuple(py::cast(r.excitation.columns))),
        energyLoss(Array2d(r.energyLoss)),
        energyLossColumns(py::tuple(py::cast(r.energyLoss.columns))),
        tschalar(Array2d(r.tschalar)),
        tschalarColumns(py::tuple(py::cast(r.tschalar.columns))),
        energies(Array1d(r.channelEnergies)),
        spectrum(Array1d(r.simulated)),
        measured(Array1d(r.measured)) {
    py::array_t<double> c(static_cast<py::ssize_t>(r.simulated.size()));
    for (std::size_t i = 0; i < r.simulated.size(); ++i)
      c.mutable_data()[i] = static_cast<double>(i + 1);
    channels = c;
  }

  // One column of a table by its name: "resolution", "optimisation", "excitation",
  // "energy_loss" or "tschalar".
  py::object Column(const std::string& table, const std::string& column) const {
    const py::object* values = nullptr;
    const py::object* names = nullptr;
    if (table == "resolution") {
      values = &resolution;
      names = &resolutionColumns;
    } else if (table == "optimisation") {
      values = &optimisation;
      names = &optimisationColumns;
    } else if (table == "excitation") {
      values = &excitation;
      names = &excitationColumns;
    } else if (table == "energy_loss") {
      values = &energyLoss;
      names = &energyLossColumns;
    } else if (table == "tschalar") {
      values = &tschalar;
      names = &tschalarColumns;
    } else {
      throw py::key_error("unknown table \"" + table +
                          "\": the tables are \"resolution\", \"optimisation\", "
                          "\"excitation\", \"energy_loss\", \"tschalar\"");
    }
    const auto list = names->cast<std::vector<std::string>>();
    const auto it = std::find(list.begin(), list.end(), column);
    if (it == list.end()) {
      throw py::key_error("the " + table + " table of \"" + name + "\" has no column \"" + column +
                          "\"");
    }
    const auto index = static_cast<py::ssize_t>(it - list.begin());
    return (*values)[py::make_tuple(py::slice(py::none(), py::none(), py::none()), index)];
  }
};

// The four data-file lists by the names a script uses.
struct RegistryListName {
  const char* name;
  std::vector<RegistryEntry> DataFileRegistry::*list;
};
constexpr RegistryListName kRegistryLists[] = {
    {"stopping", &DataFileRegistry::CheckListBox1},
    {"elastic", &DataFileRegistry::CheckListBox_ESS},
    {"recoil", &DataFileRegistry::CheckListBox_ERD},
    {"reaction", &DataFileRegistry::CheckListBox_NRA},
};
// As many entries as a parameter file keeps of a list.
constexpr std::size_t kMaxListEntries = 10000;

py::dict RegistryToPython(const DataFileRegistry& r) {
  py::dict out;
  for (const RegistryListName& l : kRegistryLists) {
    py::list entries;
    for (const RegistryEntry& e : r.*l.list)
      entries.append(py::make_tuple(Utf8(e.text), e.checked));
    out[l.name] = entries;
  }
  return out;
}

// Lists given by name replace the session's; entries are (text, checked) pairs or texts
// (checked).
DataFileRegistry RegistryFromPython(const py::dict& lists, DataFileRegistry r) {
  for (const auto& [key, value] : lists) {
    const std::string name = py::str(key);
    const RegistryListName* l = nullptr;
    for (const RegistryListName& candidate : kRegistryLists) {
      if (name == candidate.name) l = &candidate;
    }
    if (l == nullptr) {
      throw py::key_error("unknown data-file list \"" + name +
                          "\": the lists are \"stopping\", \"elastic\", \"recoil\", "
                          "\"reaction\"");
    }
    std::vector<RegistryEntry> entries;
    for (const py::handle item : py::iter(value)) {
      RegistryEntry e;
      if (py::isinstance<py::str>(item)) {
        e.text = item.cast<std::string>();
      } else {
        const auto pair = item.cast<std::pair<std::string, py::object>>();
        if (!IsBool(pair.second))
          throw py::type_error("a data-file entry's check mark is True or False");
        e.text = pair.first;
        e.checked = pair.second.attr("__bool__")().cast<bool>();
      }
      if (e.text.find_first_of("\r\n") != std::string::npos)
        throw InputFailure{{"a data-file entry is one line: \"" + e.text + "\""}};
      entries.push_back(std::move(e));
    }
    if (entries.size() > kMaxListEntries) {
      throw InputFailure{
          {"a data-file list holds at most " + std::to_string(kMaxListEntries) + " entries"}};
    }
    r.*l->list = std::move(entries);
  }
  return r;
}

constexpr const char* kModuleDoc = R"doc(Ion beam analysis of layered samples from Python.

A Session holds every input of the program (with its defaults), reads and writes
parameter files and layer files, checks the inputs as "OK" does and runs the eight
calculations; results come back as texts and NumPy arrays:

    import dodavev
    s = dodavev.Session()
    s["e0"] = 2000                       # keV
    s["sample"] = "A=300\nn=5.9e22\nau,1\nS=\nn=4.98e22\nsi,1\n"
    r = s.run("spectrum simulation")
    r.energies, r.spectrum               # keV per channel, yield per channel

Inputs are named as their controls ("Edit1_e0", "CheckMS", "RadioButton_ZBL2003") or as
their fields ("e0", "th", "x"); the layer texts are "sample" and "absorber".
)doc";

}  // namespace

PYBIND11_MODULE(_dodavev, m) {
  m.doc() = kModuleDoc;
  m.attr("__version__") = ProgramVersion();

  static py::exception<InputFailure> inputError(m, "InputError", PyExc_ValueError);
  InputErrorType() = inputError;
  inputError.doc() =
      "Inputs the program refuses. str() gives the program's messages, one a line; the "
      "attribute `messages` holds them as a list.";
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const InputFailure& e) {
      py::object error =
          py::reinterpret_borrow<py::object>(InputErrorType())(Utf8(Joined(e.messages)));
      error.attr("messages") = Utf8List(e.messages);
      PyErr_SetObject(InputErrorType().ptr(), error.ptr());
    } catch (const FileFailure& e) {
      py::object error = py::reinterpret_borrow<py::object>(PyExc_OSError)(e.code, Utf8(e.message));
      PyErr_SetObject(PyExc_OSError, error.ptr());
    }
  });

  m.def(
      "calculations",
      [] {
        std::vector<std::string> names;
        for (const CalculationEntry& e : Calculations())
          names.emplace_back(e.caption);
        return names;
      },
      "The names run() takes: the captions of the \"calculations\" menu, in its order.");
  m.def(
      "resolution_columns", [] { return py::tuple(py::cast(ResolutionColumnNames())); },
      "Names of the 49 columns of Result.resolution (values 1..49 of a row).");
  m.def(
      "inputs",
      [] {
        py::list out;
        for (const InputField& f : InputFields()) {
          const char* kind = "text";
          switch (f.kind) {
            case InputKind::kNumber:
              kind = "number";
              break;
            case InputKind::kWholeNumber:
              kind = "whole number";
              break;
            case InputKind::kText:
              kind = "text";
              break;
            case InputKind::kLayerText:
              kind = "layer text";
              break;
            case InputKind::kChoice:
              kind = "choice";
              break;
            case InputKind::kCheckBox:
              kind = "check box";
              break;
            case InputKind::kRadio:
              kind = "radio button";
              break;
            case InputKind::kLabel:
              kind = "label (read only)";
              break;
          }
          std::vector<std::string> choices(f.choices.begin(), f.choices.end());
          out.append(py::make_tuple(f.shortName, f.name, kind, f.caption, choices));
        }
        return out;
      },
      "Every input as (name, control name, kind, caption, choices), in the order of the "
      "parameter pages.");
  m.def("default_lev_directory", &DefaultLevDirectory,
        "The start-up data a Session reads by default: \"LEV\" beside the module in a build "
        "folder, else the installed one.");

  py::class_<Result>(m, "Result", "What one calculation left: reports, messages and tables.")
      .def_readonly("name", &Result::name, "The calculation's name.")
      .def_readonly("report", &Result::report,
                    "The report text, as the output panel shows it and the results file holds "
                    "it (CR LF line ends).")
      .def_readonly("detail_report", &Result::detailReport,
                    "The second report of \"depth and energy resolution\" (straggling and "
                    "multiple scattering per depth); empty for the others.")
      .def_readonly("messages", &Result::messages,
                    "Messages shown by \"OK\" and by the calculation, in order.")
      .def_readonly("calc_mode", &Result::calcMode, "The program's mode letter after the run.")
      .def_readonly("spectrum_flag", &Result::spectrumFlag,
                    "The program's spectrum letter after the run (\"N\": a spectrum).")
      .def_readonly("resolution", &Result::resolution,
                    "Resolution table: one row per printed depth step, 49 columns named by "
                    "resolution_columns (depth [nm], depth_resolution [nm], det [keV], ...). "
                    "Filled by \"depth and energy resolution\" and the two spectrum "
                    "simulations.")
      .def_readonly("resolution_columns", &Result::resolutionColumns)
      .def_readonly("optimisation", &Result::optimisation,
                    "\"optimization\": the alpha scan (alpha, theta, x1..x4 [nm]) or, for a "
                    "theta scan, the best resolution by depth (depth, depth_resolution, "
                    "alpha, theta); see optimisation_columns.")
      .def_readonly("optimisation_columns", &Result::optimisationColumns)
      .def_readonly("excitation", &Result::excitation,
                    "\"excitation curves for resonances\": one row per beam energy, the eleven "
                    "report columns (excitation_columns).")
      .def_readonly("excitation_columns", &Result::excitationColumns)
      .def_readonly("energy_loss", &Result::energyLoss,
                    "\"energy loss\": depth [micron], E [keV], stopping [keV/micron], "
                    "straggling [keV] of the incident ion in the absorber foil.")
      .def_readonly("energy_loss_columns", &Result::energyLossColumns)
      .def_readonly("tschalar", &Result::tschalar,
                    "\"Tschalar effect\": E_in, E_out [keV], relative_loss, spread_without, "
                    "spread_with [keV] of the emitted particle through the absorber foil.")
      .def_readonly("tschalar_columns", &Result::tschalarColumns)
      .def_readonly("channels", &Result::channels,
                    "Channel numbers 1..N of the spectra (spectrum simulations only).")
      .def_readonly("energies", &Result::energies,
                    "Energy of each channel, dete0 + channel * detkevch [keV].")
      .def_readonly("spectrum", &Result::spectrum,
                    "Simulated yield per channel, as the spectrum file and the chart show it.")
      .def_readonly("measured", &Result::measured,
                    "Measured counts per channel (0 where the measured spectrum has none).")
      .def("column", &Result::Column, py::arg("table"), py::arg("column"),
           "One column of a table by names: column(\"resolution\", \"depth\").")
      .def("__repr__", [](const Result& r) {
        return "<dodavev.Result \"" + r.name + "\": " + std::to_string(py::len(r.resolution)) +
               " resolution rows, " + std::to_string(py::len(r.spectrum)) + " channels, " +
               std::to_string(py::len(r.messages)) + " messages>";
      });

  py::class_<ScriptSession>(m, "Session",
                            R"doc(One session of the program with its own inputs and results.

Session(lev_dir=None) starts as the program starts: every input at its default and the
start-up tables read from lev_dir (default: default_lev_directory()). Separate sessions
share nothing and may run in parallel from Python threads.

Inputs: s["e0"], s["e0"] = 2000, s.get(name), s.set(name, value, check=True). Numbers may
be given as numbers or texts; check boxes and radio buttons take True or False (a radio
button set on clears its partner, set off checks it). A bad name raises KeyError, a value
of the wrong kind TypeError, a value the program refuses InputError with its message.
)doc")
      .def(py::init([](const std::optional<std::filesystem::path>& levDir) {
             const std::filesystem::path lev = levDir ? *levDir : DefaultLevDirectory();
             std::unique_ptr<ScriptSession> s;
             {
               py::gil_scoped_release unlocked;
               s = std::make_unique<ScriptSession>(lev);
             }
             // Without the element table nothing can be calculated.
             for (const std::string& text : s->StartupMessages()) {
               if (text.rfind("problem with stopping data", 0) == 0) {
                 throw FileFailure{2, text + " (start-up data " + lev.string() + ")"};
               }
             }
             return s;
           }),
           py::arg("lev_dir") = py::none())
      .def_property_readonly("lev_dir", &ScriptSession::LevDirectory,
                             "The start-up data directory this session read.")
      .def_property_readonly(
          "startup_messages", [](const ScriptSession& s) { return Utf8List(s.StartupMessages()); },
          "Messages of the start-up (tables that were missing or short).")
      .def(
          "get",
          [](ScriptSession& s, const std::string& name) -> py::object {
            const InputField& f = Field(name);
            if (f.IsSwitch()) {
              bool on = false;
              {
                py::gil_scoped_release unlocked;
                on = s.GetSwitch(f);
              }
              return py::bool_(on);
            }
            std::string text;
            {
              py::gil_scoped_release unlocked;
              text = s.GetText(f);
            }
            return Utf8(text);
          },
          py::arg("name"),
          "The input `name`: its text as typed (numbers too) or, for a switch, True/False.")
      .def(
          "set",
          [](ScriptSession& s, const std::string& name, const py::object& value, bool check) {
            const InputField& f = Field(name);
            std::string problem;
            if (f.IsSwitch()) {
              if (!IsBool(value)) {
                throw py::type_error(std::string(f.shortName) +
                                     " is a switch: set it to True or False");
              }
              const bool on = value.attr("__bool__")().cast<bool>();
              py::gil_scoped_release unlocked;
              problem = s.SetSwitch(f, on);
            } else {
              std::string text = TextOf(f, value);
              py::gil_scoped_release unlocked;
              problem = s.SetText(f, std::move(text), check);
            }
            if (!problem.empty()) throw InputFailure{{problem}};
          },
          py::arg("name"), py::arg("value"), py::arg("check") = true,
          "Sets the input `name`. With check=False a text is taken as typed, without the "
          "checks of a single input (\"OK\" then reports what it cannot use).")
      .def(
          "__getitem__",
          [](py::object self, const std::string& name) { return self.attr("get")(name); },
          py::arg("name"), "s[name]: the same as s.get(name).")
      .def(
          "__setitem__",
          [](py::object self, const std::string& name, py::object value) {
            self.attr("set")(name, value);
          },
          py::arg("name"), py::arg("value"), "s[name] = value: the same as s.set(name, value).")
      .def(
          "__contains__",
          [](const ScriptSession&, const std::string& name) {
            return FindInputField(name) != nullptr;
          },
          py::arg("name"), "Whether `name` names an input.")
      .def(
          "keys",
          [](const ScriptSession&) {
            std::vector<std::string> names;
            for (const InputField& f : InputFields())
              names.emplace_back(f.shortName);
            return names;
          },
          "The names of every input (see dodavev.inputs() for what each is).")
      .def_property(
          "sample", [](py::object self) { return self.attr("get")("sample"); },
          [](py::object self, py::object text) { self.attr("set")("sample", text); },
          "The sample layer text (\"OK\" parses it).")
      .def_property(
          "absorber", [](py::object self) { return self.attr("get")("absorber"); },
          [](py::object self, py::object text) { self.attr("set")("absorber", text); },
          "The absorber foil layer text; empty for no foil.")
      .def_property(
          "data_files", [](ScriptSession& s) { return RegistryToPython(s.Registry()); },
          [](ScriptSession& s, const py::dict& lists) {
            s.SetRegistry(RegistryFromPython(lists, s.Registry()));
          },
          "The data-file lists (\"stopping\", \"elastic\", \"recoil\", \"reaction\") as "
          "lists of (entry text, checked); only checked entries are read by \"OK\". "
          "Assigning a dict replaces the lists it names.")
      .def("reset", &ScriptSession::ResetInputs, py::call_guard<py::gil_scoped_release>(),
           "Every input back to its default.")
      .def_property(
          "jobs", &ScriptSession::Jobs,
          [](ScriptSession& s, int jobs) {
            if (jobs < 0 || jobs > 4096)
              throw py::value_error("jobs: 0 (one per core) or 1 to 4096 threads");
            s.SetJobs(jobs);
          },
          "Threads of the optimisation and excitation-curve scans (0: one per core).")
      .def(
          "load_parameters",
          [](ScriptSession& s, const std::filesystem::path& p) {
            return FileAction([&] { return s.LoadParameters(p); });
          },
          py::arg("path"),
          "Reads a parameter file into the inputs (and the measured spectrum it names). "
          "Raises OSError when it cannot be read; returns the other messages.")
      .def(
          "save_parameters",
          [](ScriptSession& s, const std::filesystem::path& p) {
            return FileAction([&] { return s.SaveParameters(p); });
          },
          py::arg("path"),
          "Writes the inputs as a parameter file (an old file survives a failure).")
      .def(
          "load_sample",
          [](ScriptSession& s, const std::filesystem::path& p) {
            return FileAction([&] { return s.LoadSample(p); });
          },
          py::arg("path"), "Reads a sample layer file (.lay) into the sample text.")
      .def(
          "save_sample",
          [](ScriptSession& s, const std::filesystem::path& p) {
            return FileAction([&] { return s.SaveSample(p); });
          },
          py::arg("path"), "Writes the sample text as a layer file (ending forced to .lay).")
      .def(
          "load_absorber",
          [](ScriptSession& s, const std::filesystem::path& p) {
            return FileAction([&] { return s.LoadAbsorber(p); });
          },
          py::arg("path"), "Reads an absorber layer file into the absorber text.")
      .def(
          "save_absorber",
          [](ScriptSession& s, const std::filesystem::path& p) {
            return FileAction([&] { return s.SaveAbsorber(p); });
          },
          py::arg("path"), "Writes the absorber text as a layer file (ending forced to .lay).")
      .def(
          "load_measured_spectrum",
          [](ScriptSession& s, const std::filesystem::path& p) {
            bool loaded = false;
            py::list messages = FileAction([&] { return s.LoadMeasuredSpectrum(p, loaded); });
            if (!loaded) throw InputFailure{messages.cast<std::vector<std::string>>()};
            return messages;
          },
          py::arg("path"),
          "Loads a measured spectrum (one channel a line) and names it as the measured "
          "spectrum file. Raises OSError or InputError when it does not load.")
      .def(
          "ok",
          [](ScriptSession& s, bool check) {
            std::vector<std::string> messages;
            {
              py::gil_scoped_release unlocked;
              messages = s.Ok();
            }
            if (check && !messages.empty()) throw InputFailure{messages};
            return Utf8List(messages);
          },
          py::arg("check") = false,
          "\"OK\": reads and checks every input. Returns the messages it showed; with "
          "check=True raises InputError when it showed any.")
      .def(
          "run",
          [](ScriptSession& s, const std::string& name, bool check) {
            std::string problem;
            ScriptResult r;
            {
              py::gil_scoped_release unlocked;
              r = s.Run(name, problem, check);
            }
            if (!problem.empty()) throw py::value_error(problem);
            if (r.name.empty()) throw InputFailure{r.messages};
            return Result(r);
          },
          py::arg("name"), py::arg("check") = false,
          "Runs \"OK\" and then the calculation `name` (one of calculations()), as a "
          "BatchFile record does; returns a Result. With check=True, messages of \"OK\" "
          "raise InputError before the calculation runs.");
}
