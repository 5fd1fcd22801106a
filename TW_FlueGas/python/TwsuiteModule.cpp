// _twsuite: the compiled half of the Python package twsuite. It hands Python the command table
// and the run of one command line of the command layer that twcalc uses, and runs batches of
// flue gas cases through the calculator core. It calculates nothing and parses no option itself.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <structmember.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "BatchColumns.h"
#include "CommandLayer.h"
#include "FlueGasBatch.h"
#include "FlueGasOptions.h"
#include "GasPropertiesBatch.h"
#include "JsonWriter.h"
#include "mdlTW_FlueGas.h"
#include "tw/AutomationError.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"
#include "tw/Stable.h"

namespace py = pybind11;
namespace fg = tw::fluegas;

namespace {

// The library's program language and the message sink of a single call are process-wide: one
// run at a time (a batch on its own threads), taken in turn by Python threads, which give up
// the interpreter lock while they wait and run.
std::mutex& libraryLock() {
    static std::mutex lock;
    return lock;
}

// Ctrl+C during a long call: the batches ask between blocks of rows, and this looks at most
// every `period` (20 ms unless said), taking the interpreter lock for the moment it takes Python
// to say whether a signal came (KeyboardInterrupt is then set, for the call to raise once it has
// stopped). A caller that asks with the lock held can ask more often: it waits for nobody.
class PythonInterruptCheck {
  public:
    explicit PythonInterruptCheck(std::chrono::milliseconds period = std::chrono::milliseconds(20))
        : period_(period), next_(std::chrono::steady_clock::now() + period) {}

    bool operator()() {
        const auto now = std::chrono::steady_clock::now();
        if (now < next_) return false;
        next_ = now + period_;
        const py::gil_scoped_acquire locked;
        return PyErr_CheckSignals() != 0;
    }

  private:
    std::chrono::milliseconds period_;
    std::chrono::steady_clock::time_point next_;
};

// Texts looked up by their characters, without making a std::string of them first.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
        return std::hash<std::string_view>{}(text);
    }
};

// The texts of the objects the commands give are mostly the same from call to call (keys,
// captions, unit texts): each short one is made into a Python string once (which also keeps
// its hash) and shared. The cache holds its strings for the life of the process (the
// interpreter's end takes them), so nothing is released after the interpreter has gone; it
// starts afresh when full, since texts that are data would only add up.
py::object cachedString(const std::string& text) {
    constexpr std::size_t kLongest = 64;
    constexpr std::size_t kMost = 4096;
    if (text.size() > kLongest) return py::str(text);
    static std::unordered_map<std::string, PyObject*, TextHash, std::equal_to<>> strings;
    if (const auto it = strings.find(text); it != strings.end()) {
        return py::reinterpret_borrow<py::object>(it->second);
    }
    py::str made(text);
    if (strings.size() >= kMost) {
        for (auto& entry : strings) Py_DECREF(entry.second);
        strings.clear();
    }
    strings.emplace(text, made.inc_ref().ptr());
    return made;
}

// The Python strings of the texts a command gave at its last call, in the order they came. Most
// come again at the same place the next time (keys, captions, unit texts), and a text found
// there is taken without looking it up. Only a hint: a string is taken from it only for the
// same text, so calls of several threads that take turns while their objects are made cost no
// more than the look-up.
class RepeatedTexts {
  public:
    void restart() { next_ = 0; }

    py::object operator()(const std::string& text) {
        constexpr std::size_t kMost = 4096;
        if (next_ < seen_.size()) {
            auto& [known, string] = seen_[next_++];
            if (known != text) {
                known = text;
                string = cachedString(text);
            }
            return string;
        }
        if (seen_.size() >= kMost) return cachedString(text);
        ++next_;
        return seen_.emplace_back(text, cachedString(text)).second;
    }

  private:
    std::vector<std::pair<std::string, py::object>> seen_;
    std::size_t next_ = 0;
};

py::object toPython(const twcalc::Json& value, RepeatedTexts* repeated = nullptr) {
    const auto string = [repeated](const std::string& text) {
        return repeated != nullptr ? (*repeated)(text) : cachedString(text);
    };
    switch (value.type()) {
        case twcalc::Json::value_t::object: {
            // A dict of more fields than its first table holds is made at its size at once,
            // rather than rebuilt on the way (twice for a dozen fields).
            constexpr std::size_t kFirstTable = 5;
            PyObject* made = value.size() > kFirstTable
                                 ? _PyDict_NewPresized(static_cast<Py_ssize_t>(value.size()))
                                 : PyDict_New();
            if (made == nullptr) throw py::error_already_set();
            auto dict = py::reinterpret_steal<py::dict>(made);
            for (const auto& [key, item] : value.items()) {
                const py::object name = string(key);
                const py::object converted = toPython(item, repeated);
                if (PyDict_SetItem(dict.ptr(), name.ptr(), converted.ptr()) != 0)
                    throw py::error_already_set();
            }
            return dict;
        }
        case twcalc::Json::value_t::array: {
            const auto size = static_cast<Py_ssize_t>(value.size());
            PyObject* list = PyList_New(size);
            if (list == nullptr) throw py::error_already_set();
            auto made = py::reinterpret_steal<py::object>(list);
            Py_ssize_t i = 0;
            for (const auto& item : value) {
                PyList_SET_ITEM(list, i++, toPython(item, repeated).release().ptr());
            }
            return made;
        }
        case twcalc::Json::value_t::string:
            return string(value.get_ref<const std::string&>());
        case twcalc::Json::value_t::boolean:
            return py::bool_(value.get<bool>());
        case twcalc::Json::value_t::number_integer:
            return py::int_(value.get<std::int64_t>());
        case twcalc::Json::value_t::number_unsigned:
            return py::int_(value.get<std::uint64_t>());
        case twcalc::Json::value_t::number_float: {
            // As the JSON text has it: the number its text reads back to; null when not finite.
            const double d = value.get<double>();
            return std::isfinite(d) ? py::object(py::float_(twcalc::jsonNumberValue(d)))
                                    : py::object(py::none());
        }
        default:
            return py::none();
    }
}

py::dict argumentDict(const twcalc::ArgumentInfo& a) {
    py::dict d;
    d["keyword"] = a.keyword;
    d["name"] = a.name;
    d["help"] = a.help;
    d["flag"] = a.flag;
    d["repeatable"] = a.repeatable;
    d["required"] = a.required;
    return d;
}

py::list commands() {
    py::list list;
    for (const twcalc::CommandInfo& c : twcalc::commandTable()) {
        py::dict d;
        d["path"] = c.path;
        d["help"] = c.help;
        py::list positionals, options;
        for (const auto& a : c.positionals) positionals.append(argumentDict(a));
        for (const auto& a : c.options) options.append(argumentDict(a));
        d["positionals"] = positionals;
        d["options"] = options;
        list.append(d);
    }
    return list;
}

// (status, value, error text, malformed call) of one command line run in JSON mode.
py::tuple evaluate(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument.find('\0') != std::string::npos) {
            throw py::value_error("embedded null character");
        }
    }
    twcalc::Outcome outcome;
    try {
        py::gil_scoped_release released;
        const std::lock_guard<std::mutex> guard(libraryLock());
        const fg::ScopedBatchInterruptCheck interruptible{PythonInterruptCheck()};
        outcome = twcalc::evaluate(arguments);
    } catch (const fg::BatchInterrupted&) {
        throw py::error_already_set();  // the KeyboardInterrupt; no output file was committed
    }
    return py::make_tuple(static_cast<int>(outcome.status), toPython(outcome.value), outcome.error,
                          outcome.malformedCall);
}

// ----- single calls --------------------------------------------------------------------------

// One command made ready at import: a call's Python arguments go straight to the command's
// options, as the texts the command line would hand them (the same texts `_command_line` writes),
// without a command line. A call in any other shape, or with a value of another type, is
// answered by None, and the Python side runs it as a command line, which words its refusal.
class PreparedCall {
  public:
    explicit PreparedCall(const std::vector<std::string>& path) : command_(path) {
        const twcalc::CommandInfo& info = command_.info();
        positionals_ = info.positionals.size();
        for (std::size_t i = 0; i < info.positionals.size(); ++i) {
            slots_.emplace(info.positionals[i].keyword, Slot{i, false, false});
        }
        for (std::size_t i = 0; i < info.options.size(); ++i) {
            const twcalc::ArgumentInfo& option = info.options[i];
            slots_.emplace(option.keyword, Slot{positionals_ + i, option.flag, option.repeatable});
        }
    }

    // A call as Python's vector call hands it over: `count` positional arguments, then the
    // values of the keywords `names` (a tuple, or null for none).
    py::object call(PyObject* const* args, std::size_t count, PyObject* names) {
        std::array<std::pair<PyObject*, PyObject*>, 32> stack{};
        std::vector<std::pair<PyObject*, PyObject*>> heap;
        const std::size_t named =
            names == nullptr ? 0 : static_cast<std::size_t>(PyTuple_GET_SIZE(names));
        std::span<std::pair<PyObject*, PyObject*>> keywords;
        if (named <= stack.size()) {
            keywords = std::span(stack.data(), named);
        } else {
            heap.resize(named);
            keywords = heap;
        }
        for (std::size_t i = 0; i < named; ++i) {
            keywords[i] = {PyTuple_GET_ITEM(names, static_cast<Py_ssize_t>(i)), args[count + i]};
        }
        return call(args, count, keywords);
    }

  private:
    py::object call(PyObject* const* args, std::size_t count,
                    std::span<const std::pair<PyObject*, PyObject*>> keywords) {
        Texts texts;
        if (count > positionals_) return py::none();
        for (std::size_t i = 0; i < count; ++i) {
            if (!addText(texts, i, args[i])) return py::none();
        }
        for (const auto& [key, value] : keywords) {
            Py_ssize_t size = 0;
            const char* name = PyUnicode_AsUTF8AndSize(key, &size);
            if (name == nullptr) throw py::error_already_set();
            const auto slot = slots_.find(std::string_view(name, static_cast<std::size_t>(size)));
            if (slot == slots_.end()) return py::none();  // the command line names it
            const Slot& s = slot->second;
            if (s.index < positionals_ && s.index < count) return py::none();  // twice
            if (value == Py_None) continue;
            const bool taken = s.flag         ? addFlag(texts, s.index, value)
                               : s.repeatable ? addItems(texts, s.index, value)
                                              : addText(texts, s.index, value);
            if (!taken) return py::none();
        }
        // A positional after one left out is dropped, as on the command line.
        std::size_t present = 0;
        while (present < positionals_ && hasText(texts, present)) ++present;
        std::vector<twcalc::PreparedCommand::Given> given;
        given.reserve(texts.size());
        for (const auto& [slot, text] : texts) {
            if (slot >= positionals_ || slot < present) given.push_back({slot, text});
        }
        std::optional<twcalc::Outcome> outcome;
        try {
            py::gil_scoped_release released;
            const std::lock_guard<std::mutex> guard(libraryLock());
            const fg::ScopedBatchInterruptCheck interruptible{PythonInterruptCheck()};
            outcome = command_.run(given);
        } catch (const fg::BatchInterrupted&) {
            throw py::error_already_set();
        }
        if (!outcome) return py::none();
        repeated_.restart();
        py::object value = toPython(outcome->value, &repeated_);
        twcalc::dismantle(outcome->value);
        // Every command gives an object: a dict is the value, a tuple what went wrong.
        if (outcome->status == twcalc::kSuccess) return value;
        return py::make_tuple(static_cast<int>(outcome->status), value, outcome->error,
                              outcome->malformedCall);
    }

    struct Slot {
        std::size_t index;
        bool flag, repeatable;
    };

    using Texts = std::vector<std::pair<std::size_t, std::string>>;

    static bool hasText(const Texts& texts, std::size_t slot) {
        return std::any_of(texts.begin(), texts.end(),
                           [slot](const auto& t) { return t.first == slot; });
    }

    // The text of a value as `_text` writes it: strings as given, integers in decimal, other
    // numbers in their shortest form. False for any other type and for a text with a NUL.
    static bool textOf(PyObject* value, std::string& text) {
        if (PyUnicode_Check(value)) {
            Py_ssize_t size = 0;
            const char* utf8 = PyUnicode_AsUTF8AndSize(value, &size);
            if (utf8 == nullptr) throw py::error_already_set();
            text.assign(utf8, static_cast<std::size_t>(size));
            return text.find('\0') == std::string::npos;
        }
        if (PyBool_Check(value)) {
            text = value == Py_True ? "true" : "false";
            return true;
        }
        if (PyLong_Check(value)) {
            int overflow = 0;
            const long long number = PyLong_AsLongLongAndOverflow(value, &overflow);
            if (overflow != 0 || (number == -1 && PyErr_Occurred() != nullptr)) {
                PyErr_Clear();
                return false;
            }
            text = std::to_string(number);
            return true;
        }
        if (PyFloat_Check(value)) {
            text = twcalc::numberText(PyFloat_AS_DOUBLE(value));
            return true;
        }
        return false;
    }

    static bool addText(Texts& texts, std::size_t slot, PyObject* value) {
        std::string text;
        if (!textOf(value, text)) return false;
        texts.emplace_back(slot, std::move(text));
        return true;
    }

    static bool addFlag(Texts& texts, std::size_t slot, PyObject* value) {
        if (!PyLong_Check(value)) return false;  // bool is an int
        const int on = PyObject_IsTrue(value);
        if (on < 0) throw py::error_already_set();
        if (on != 0) texts.emplace_back(slot, std::string());
        return true;
    }

    // A repeatable option: a list or tuple of values, a dict of key=value, or one value.
    static bool addItems(Texts& texts, std::size_t slot, PyObject* value) {
        if (PyList_Check(value) || PyTuple_Check(value)) {
            const py::sequence items = py::reinterpret_borrow<py::sequence>(value);
            for (const py::handle item : items) {
                if (!addText(texts, slot, item.ptr())) return false;
            }
            return true;
        }
        if (PyDict_Check(value)) {
            for (const auto& [key, item] : py::reinterpret_borrow<py::dict>(value)) {
                std::string name, text;
                if (!PyUnicode_Check(key.ptr()) || !textOf(key.ptr(), name) ||
                    !textOf(item.ptr(), text))
                    return false;
                name += '=';
                name += text;
                texts.emplace_back(slot, std::move(name));
            }
            return true;
        }
        return addText(texts, slot, value);
    }

    twcalc::PreparedCommand command_;
    RepeatedTexts repeated_;
    std::size_t positionals_ = 0;
    std::unordered_map<std::string, Slot, TextHash, std::equal_to<>> slots_;
};

// A function of the package as Python calls it: straight into its PreparedCall, through
// Python's vector call (no tuple, no dict and no Python frame in between). A call the prepared
// command does not take, or one that fails, goes to `fallback(outcome, args, kwargs)`, the
// Python code that runs it as a command line or raises. `pick` names the field of the object
// to return instead of the object (the number of convert). The instance dict holds the
// function's name, documentation and signature.
struct FunctionObject {
    PyObject_HEAD vectorcallfunc vectorcall;
    PyObject* dict;      // the attributes
    PyObject* prepared;  // the PreparedCall, kept alive for `call`
    PyObject* fallback;
    PyObject* pick;      // a str, or null
    PreparedCall* call;  // the C++ object inside `prepared`, owned by it
};

// Every exception ends in a Python error; the handles' destructors only drop references.
// NOLINTNEXTLINE(bugprone-exception-escape)
PyObject* callFunction(PyObject* self, PyObject* const* args, std::size_t flags,
                       PyObject* names) noexcept {
    auto* f = reinterpret_cast<FunctionObject*>(self);
    const auto count = static_cast<std::size_t>(PyVectorcall_NARGS(flags));
    try {
        py::object value = f->call->call(args, count, names);
        if (PyDict_CheckExact(value.ptr())) {
            if (f->pick == nullptr) return value.release().ptr();
            PyObject* picked = PyDict_GetItemWithError(value.ptr(), f->pick);
            if (picked == nullptr && PyErr_Occurred() == nullptr) {
                PyErr_SetObject(PyExc_KeyError, f->pick);
            }
            return Py_XNewRef(picked);
        }
        py::tuple positional(count);
        for (std::size_t i = 0; i < count; ++i) {
            positional[i] = py::reinterpret_borrow<py::object>(args[i]);
        }
        py::dict keywords;
        const Py_ssize_t named = names == nullptr ? 0 : PyTuple_GET_SIZE(names);
        for (Py_ssize_t i = 0; i < named; ++i) {
            if (PyDict_SetItem(keywords.ptr(), PyTuple_GET_ITEM(names, i),
                               args[count + static_cast<std::size_t>(i)]) != 0)
                throw py::error_already_set();
        }
        return PyObject_CallFunctionObjArgs(f->fallback, value.ptr(), positional.ptr(),
                                            keywords.ptr(), nullptr);
    } catch (py::error_already_set& e) {
        e.restore();
    } catch (const py::builtin_exception& e) {
        e.set_error();
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "unknown error");
    }
    return nullptr;
}

int traverseFunction(PyObject* self, visitproc visit, void* arg) {
    auto* f = reinterpret_cast<FunctionObject*>(self);
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(f->dict);
    Py_VISIT(f->prepared);
    Py_VISIT(f->fallback);
    Py_VISIT(f->pick);
    return 0;
}

int clearFunction(PyObject* self) {
    auto* f = reinterpret_cast<FunctionObject*>(self);
    Py_CLEAR(f->dict);
    Py_CLEAR(f->fallback);
    Py_CLEAR(f->pick);
    f->call = nullptr;
    Py_CLEAR(f->prepared);
    return 0;
}

void deallocateFunction(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    PyObject_GC_UnTrack(self);
    clearFunction(self);
    type->tp_free(self);
    Py_DECREF(type);
}

PyObject* functionRepr(PyObject* self) {
    auto* f = reinterpret_cast<FunctionObject*>(self);
    PyObject* name = f->dict == nullptr ? nullptr : PyDict_GetItemString(f->dict, "__name__");
    return name != nullptr ? PyUnicode_FromFormat("<function %S>", name)
                           : PyUnicode_FromString("<function>");
}

// The type, made once at import.
PyTypeObject* functionType() {
    static PyMemberDef members[] = {
        {"__vectorcalloffset__", T_PYSSIZET,
         static_cast<Py_ssize_t>(offsetof(FunctionObject, vectorcall)), READONLY, nullptr},
        {"__dictoffset__", T_PYSSIZET, static_cast<Py_ssize_t>(offsetof(FunctionObject, dict)),
         READONLY, nullptr},
        {nullptr, 0, 0, 0, nullptr}};
    static PyType_Slot slots[] = {{Py_tp_dealloc, reinterpret_cast<void*>(&deallocateFunction)},
                                  {Py_tp_traverse, reinterpret_cast<void*>(&traverseFunction)},
                                  {Py_tp_clear, reinterpret_cast<void*>(&clearFunction)},
                                  {Py_tp_call, reinterpret_cast<void*>(&PyVectorcall_Call)},
                                  {Py_tp_repr, reinterpret_cast<void*>(&functionRepr)},
                                  {Py_tp_members, members},
                                  {0, nullptr}};
    static PyType_Spec layout{"twsuite._twsuite.Function", sizeof(FunctionObject), 0,
                              Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_HAVE_VECTORCALL,
                              slots};
    static PyTypeObject* const type = [] {
        PyObject* made = PyType_FromSpec(&layout);
        if (made == nullptr) throw py::error_already_set();
        return reinterpret_cast<PyTypeObject*>(made);
    }();
    return type;
}

py::object makeFunction(const py::object& prepared, const py::object& fallback,
                        const std::optional<std::string>& pick) {
    auto* call = prepared.cast<PreparedCall*>();
    PyTypeObject* type = functionType();
    auto* f = PyObject_GC_New(FunctionObject, type);
    if (f == nullptr) throw py::error_already_set();
    Py_INCREF(type);  // each instance holds its heap type
    f->vectorcall = &callFunction;
    f->dict = PyDict_New();
    f->prepared = prepared.inc_ref().ptr();
    f->fallback = fallback.inc_ref().ptr();
    f->pick = pick ? py::str(*pick).release().ptr() : nullptr;
    f->call = call;
    PyObject_GC_Track(f);
    auto made = py::reinterpret_steal<py::object>(reinterpret_cast<PyObject*>(f));
    if (f->dict == nullptr) throw py::error_already_set();
    return made;
}

// ----- flue gas batch ------------------------------------------------------------------------

// A number of the table as a value; NaN where it shows "N/A" or nothing.
double tableNumber(const std::string& text) {
    // The table writes plain decimals of a few digits: for those the leading-number rule gives
    // the double from_chars gives, more cheaply (no exponent, and too short to leave the range).
    const auto plain = [](char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; };
    if (text.size() <= 16 && !text.empty() && std::all_of(text.begin(), text.end(), plain)) {
        const tw::LeadingNumber n = tw::readLeadingNumber(text);
        return n.length == text.size() ? n.value : std::numeric_limits<double>::quiet_NaN();
    }
    double value = std::numeric_limits<double>::quiet_NaN();
    const char* last = text.data() + text.size();
    const auto r = std::from_chars(text.data(), last, value);
    return r.ec == std::errc() && r.ptr == last ? value : std::numeric_limits<double>::quiet_NaN();
}

// The distinct messages the cases of one thread showed. Most cases of a batch show the same
// few messages; each case points to its messages here, so that a batch of a million cases
// holds each text once instead of a million times.
class DistinctMessages {
  public:
    const tw::RecordedMessage* operator()(tw::RecordedMessage message) {
        return &*messages_.insert(std::move(message)).first;
    }

  private:
    struct Hash {
        std::size_t operator()(const tw::RecordedMessage& m) const noexcept {
            return std::hash<std::string>{}(m.text) * 31 + std::hash<std::string>{}(m.caption) +
                   static_cast<std::size_t>(m.icon);
        }
    };
    struct Same {
        bool operator()(const tw::RecordedMessage& a, const tw::RecordedMessage& b) const {
            return a.text == b.text && a.caption == b.caption && a.icon == b.icon &&
                   a.buttons == b.buttons;
        }
    };
    std::unordered_set<tw::RecordedMessage, Hash, Same> messages_;  // nodes keep their place
};

// The message sink of a block of cases: each message shown goes to the messages of the case
// being calculated, as its distinct message. The few messages shown last are compared first, so
// that a message shown again costs no copy of its texts.
class ShownMessages final : public tw::MessageSink {
  public:
    explicit ShownMessages(DistinctMessages& distinct) : distinct_(distinct) {}
    void into(std::vector<const tw::RecordedMessage*>* shown) noexcept { shown_ = shown; }

    tw::MessageAnswer show(std::string_view text, std::string_view caption, tw::MessageIcon icon,
                           tw::MessageButtons buttons) override {
        const auto same = [&](const tw::RecordedMessage* m) {
            return m != nullptr && m->text == text && m->caption == caption && m->icon == icon &&
                   m->buttons == buttons;
        };
        const auto seen = std::find_if(recent_.begin(), recent_.end(), same);
        const tw::RecordedMessage* m = nullptr;
        if (seen != recent_.end()) {
            m = *seen;
        } else {
            m = distinct_(
                tw::RecordedMessage{std::string(text), std::string(caption), icon, buttons});
            recent_[next_++ % recent_.size()] = m;
        }
        if (shown_ != nullptr) shown_->push_back(m);
        return tw::MessageAnswer::OK;
    }
    void beep() override {}

  private:
    DistinctMessages& distinct_;
    std::vector<const tw::RecordedMessage*>* shown_ = nullptr;
    std::array<const tw::RecordedMessage*, 8> recent_{};
    std::size_t next_ = 0;
};

struct CaseMessages {
    std::vector<const tw::RecordedMessage*> shown;  // in a thread's DistinctMessages
    std::string refusal;  // why the case could not be typed in, as the single call says it
    bool automationError = false;
};

// The cases of a batch are calculated, and handed on, in blocks of this many.
constexpr std::size_t kCasesAtATime = 64;

// The messages of a batch's cases, in blocks made as their cases are calculated: a batch of
// millions of cases stopped by Ctrl+C soon after it began makes, and frees, only those of the
// cases it reached (64 bytes a case), not those of every case; freeing them all took longer
// than the stop itself. Each block is made and written by the one thread that calculates its
// cases, and read once they are done.
class BatchMessages {
  public:
    explicit BatchMessages(std::size_t cases)
        : blocks_((cases + kCasesAtATime - 1) / kCasesAtATime) {}

    // The messages of case `c`, making its block at the first case asked for.
    CaseMessages& operator[](std::size_t c) {
        std::unique_ptr<Block>& block = blocks_[c / kCasesAtATime];
        if (!block) block = std::make_unique<Block>();
        return (*block)[c % kCasesAtATime];
    }

  private:
    using Block = std::array<CaseMessages, kCasesAtATime>;
    std::vector<std::unique_ptr<Block>> blocks_;
};

// The messages of a batch as Python dicts. Many cases show the same few messages: each text
// becomes one Python string that all their dicts share, and each message shown is copied from
// one dict made for it, which costs less than filling a new dict key by key.
class MessageDicts {
  public:
    py::object operator()(std::string_view caption, std::string_view text, tw::MessageIcon icon) {
        return copy(made(caption, text, icon));
    }
    // A message of a DistinctMessages, whose dict is made once.
    py::object operator()(const tw::RecordedMessage* m) {
        auto it = shown_.find(m);
        if (it == shown_.end()) it = shown_.emplace(m, made(m->caption, m->text, m->icon)).first;
        return copy(it->second);
    }

  private:
    static py::object copy(const py::dict& d) {
        PyObject* c = PyDict_Copy(d.ptr());
        if (c == nullptr) throw py::error_already_set();
        return py::reinterpret_steal<py::object>(c);
    }

    py::dict made(std::string_view caption, std::string_view text, tw::MessageIcon icon) {
        py::dict d;
        set(d, captionKey_, string(caption));
        set(d, textKey_, string(text));
        set(d, iconKey_, string(tw::iconName(icon)));
        return d;
    }

    static void set(const py::dict& d, const py::str& key, const py::str& value) {
        if (PyDict_SetItem(d.ptr(), key.ptr(), value.ptr()) != 0) throw py::error_already_set();
    }

    const py::str& string(std::string_view text) {
        if (const auto it = strings_.find(text); it != strings_.end()) return it->second;
        return strings_.emplace(std::string(text), py::str(text.data(), text.size())).first->second;
    }

    py::str captionKey_{"caption"}, textKey_{"text"}, iconKey_{"icon"};
    std::unordered_map<std::string, py::str, TextHash, std::equal_to<>> strings_;
    std::unordered_map<const tw::RecordedMessage*, py::dict> shown_;
};

// Keeps Python's cycle collector off for its lifetime (unless it was off already).
class PausedCycleCollector {
  public:
    PausedCycleCollector() : wasOn_(PyGC_Disable() != 0) {}
    ~PausedCycleCollector() {
        if (wasOn_) PyGC_Enable();
    }
    PausedCycleCollector(const PausedCycleCollector&) = delete;
    PausedCycleCollector& operator=(const PausedCycleCollector&) = delete;

  private:
    bool wasOn_;
};

// One batch of flue gas cases: the columns of cell values, the settings every case shares, and
// where each case's results and messages go.
class FlueGasBatchRun {
  public:
    struct Column {
        std::size_t cell;            // index in kCellOptionNames
        std::vector<double> values;  // one per case, or one for every case
    };

    FlueGasBatchRun(std::vector<Column> columns,
                    std::vector<std::pair<std::string, std::string>> settings,
                    std::vector<double*> out, BatchMessages& messages)
        : columns_(std::move(columns)),
          settings_(std::move(settings)),
          base_(twcalc::flueGasCaseFromOptions(settings_)),
          out_(std::move(out)),
          messages_(messages) {}

    // Calculates the cases first .. last - 1 with the calculator of the thread (which keeps the
    // table of the batch's settings from one block of cases to the next).
    void calculate(std::size_t first, std::size_t last, fg::CaseCalculator& calculator,
                   DistinctMessages& distinct) {
        const tw::ScopedSteamTableState oneState;  // asks about the steam table files once
        ShownMessages shown(distinct);
        const tw::ScopedThreadMessageSink guard(shown);
        std::string text;
        for (std::size_t c = first; c < last; ++c) calculate(c, calculator, distinct, shown, text);
    }

  private:
    void calculate(std::size_t c, fg::CaseCalculator& calculator, DistinctMessages& distinct,
                   ShownMessages& sink, std::string& text) {
        for (double* column : out_) column[c] = std::numeric_limits<double>::quiet_NaN();
        sink.into(nullptr);
        std::vector<const tw::RecordedMessage*>& shown = messages_[c].shown;
        try {
            if (auto calculated = calculatedOf(c, calculator, sink)) {
                // The numbers of the result texts, as a single call reads them back.
                for (std::size_t i = 0; i < fg::kResultColumns.size(); ++i) {
                    const int row = fg::kResultColumns[i].first;
                    out_[i][c] = resultNumber(*calculated, row, text);
                }
                return;
            }
            fg::CaseCalculator::Results outcome = calculator.results(caseOf(c));
            for (std::size_t i = 0; i < fg::kResultColumns.size(); ++i) {
                out_[i][c] = tableNumber(outcome.texts[i]);
            }
            shown.reserve(outcome.messages.size());
            for (tw::RecordedMessage& m : outcome.messages) shown.push_back(distinct(std::move(m)));
            return;
        } catch (const twcalc::UsageError& e) {
            messages_[c].refusal = e.what();
        } catch (const tw::AutomationError& e) {
            messages_[c].refusal = e.messageText();
            messages_[c].automationError = true;
        } catch (const std::exception& e) {
            messages_[c].refusal = e.what();  // never past a thread of the batch
        }
        shown.clear();  // a refused case has its refusal, not what it showed before
    }

    // The number the text of result cell `row` reads as: worked out from the value where its
    // digits follow by arithmetic, read from the text otherwise (`text` is room for it).
    static double resultNumber(const fg::CaseCalculator::Calculated& calculated, int row,
                               std::string& text) {
        const fg::ResultCell cell = fg::resultCell(calculated.results, row);
        switch (cell.shows) {
            case fg::ResultCell::Shows::NotAvailable:
                return std::numeric_limits<double>::quiet_NaN();
            case fg::ResultCell::Shows::Value:
                if (const auto number = tw::fixedDecimalsNumber(cell.value, cell.decimals)) {
                    return *number;
                }
                text.clear();
                tw::appendFixedDecimals(text, cell.value, cell.decimals);
                return tableNumber(text);
            case fg::ResultCell::Shows::Nothing:
                break;
        }
        return tableNumber(calculated.settings->value(row));
    }

    // Case `c` calculated from its numbers where they are all finite (their shortest texts name
    // them exactly) and the calculator keeps the table of the batch's settings, its messages
    // shown into the case's; nothing otherwise, for the texts a single call would type in.
    std::optional<fg::CaseCalculator::Calculated> calculatedOf(std::size_t c,
                                                               fg::CaseCalculator& calculator,
                                                               ShownMessages& sink) const {
        fg::CaseCalculator::CellValues values;
        bool finite = true;
        for (const Column& column : columns_) {
            const double value = column.values.size() == 1 ? column.values[0] : column.values[c];
            finite = finite && std::isfinite(value);
            values[column.cell] = value;
        }
        if (!finite) return std::nullopt;
        sink.into(&messages_[c].shown);
        std::optional<fg::CaseCalculator::Calculated> calculated =
            calculator.calculatedShowing(base_, values);
        sink.into(nullptr);
        return calculated;
    }

    // The case a single call with these numbers would type in. The shortest text of a finite
    // number is always typable, so the cells go straight in; a case with a number that is not
    // finite goes through the options, which refuse it in the single call's words.
    fg::FlueGasCase caseOf(std::size_t c) const {
        fg::FlueGasCase flueGasCase = base_;
        bool finite = true;
        for (const Column& column : columns_) {
            const double value = column.values.size() == 1 ? column.values[0] : column.values[c];
            finite = finite && std::isfinite(value);
            flueGasCase.cells[column.cell] = twcalc::numberText(value);
        }
        if (finite) return flueGasCase;
        std::vector<std::pair<std::string, std::string>> options = settings_;
        for (const Column& column : columns_) {
            options.emplace_back(fg::kCellOptionNames[column.cell], flueGasCase.cells[column.cell]);
        }
        return twcalc::flueGasCaseFromOptions(options);
    }

    std::vector<Column> columns_;
    std::vector<std::pair<std::string, std::string>> settings_;
    fg::FlueGasCase base_;
    std::vector<double*> out_;
    BatchMessages& messages_;
};

// Runs the cases of a batch on `jobs` threads, the calling one among them, each taking the next
// block of cases in turn, and hands each block, once calculated and in input order, to
// `finished(first, last)` on the calling thread. The calling thread holds the interpreter lock
// for `finished` alone: it calculates blocks without it while the next block to hand on is not
// ready, so that the Python objects of the cases are made while the other threads calculate.
// Every case writes only its own results and messages; the calculator core keeps its records
// and message sinks per thread. `distinct` holds the messages of each thread (as many as
// `jobs`); the cases point into it.
void calculateOnThreads(FlueGasBatchRun& run, std::size_t cases, unsigned jobs,
                        std::vector<DistinctMessages>& distinct,
                        const std::function<void(std::size_t, std::size_t)>& finished) {
    const std::size_t blocks = (cases + kCasesAtATime - 1) / kCasesAtATime;
    std::vector<std::atomic<bool>> done(blocks);
    for (std::atomic<bool>& d : done) d.store(false, std::memory_order_relaxed);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    const auto calculateBlock = [&](std::size_t block, fg::CaseCalculator& calculator,
                                    DistinctMessages& messages) {
        const std::size_t first = block * kCasesAtATime;
        run.calculate(first, std::min(first + kCasesAtATime, cases), calculator, messages);
        done[block].store(true, std::memory_order_release);
        done[block].notify_one();
    };
    // What ended a helper that failed outside its cases (out of memory, say): the calling
    // thread raises it once the helpers are done, as it raises its own.
    std::mutex failureMutex;
    std::exception_ptr failure;
    const auto helper = [&](std::size_t thread) {
        std::size_t b = blocks;  // the block being calculated
        try {
            fg::CaseCalculator calculator;
            for (b = next.fetch_add(1); b < blocks && !stop; b = next.fetch_add(1)) {
                calculateBlock(b, calculator, distinct[thread]);
            }
        } catch (...) {
            {
                const std::lock_guard lock(failureMutex);
                if (!failure) failure = std::current_exception();
            }
            stop = true;
            if (b < blocks) {  // a hand-over waiting for the block wakes and sees the stop
                done[b].store(true, std::memory_order_release);
                done[b].notify_one();
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (std::size_t k = 1; k < std::min<std::size_t>(jobs, blocks); ++k) {
            helpers.emplace_back(helper, k);
        }
        try {
            fg::CaseCalculator calculator;
            for (std::size_t handed = 0; handed < blocks && !stop;) {
                if (done[handed].load(std::memory_order_acquire)) {
                    if (stop) break;  // a helper failed: its block may be unfinished
                    const std::size_t first = handed * kCasesAtATime;
                    finished(first, std::min(first + kCasesAtATime, cases));
                    ++handed;
                } else {
                    const py::gil_scoped_release released;
                    if (const std::size_t b = next.fetch_add(1); b < blocks) {
                        calculateBlock(b, calculator, distinct[0]);
                    } else {
                        done[handed].wait(false, std::memory_order_acquire);
                    }
                }
                if (fg::batchInterruptRequested()) stop = true;  // this thread asks
            }
        } catch (...) {
            stop = true;  // the helpers end after their block
            throw;
        }
    }
    if (failure) std::rethrow_exception(failure);
    if (stop) throw fg::BatchInterrupted();
}

// `cells`: the table cells by option name (n2 ... tref), each an array of cases or a single
// value for every case; `settings`: the other options as texts; `lang`: "en" or "ko"; `jobs`:
// the number of threads, None for one per core.
py::dict fluegasBatch(const py::dict& cells, const py::dict& settings, const std::string& lang,
                      std::optional<long long> jobs) {
    if (lang != "en" && lang != "ko") {
        throw py::value_error("--lang '" + lang + "': give en or ko");
    }
    if (jobs && (*jobs < 1 || *jobs > 256)) {
        throw py::value_error("--jobs " + std::to_string(*jobs) + ": give 1 to 256 threads");
    }
    const unsigned threads =
        jobs ? static_cast<unsigned>(*jobs) : std::max(1U, std::thread::hardware_concurrency());
    // The columns as numbers, and the number of cases: the length every array shares.
    std::vector<FlueGasBatchRun::Column> columns;
    py::ssize_t cases = -1;
    for (const auto& [key, item] : cells) {
        const auto name = key.cast<std::string>();
        const auto cell = std::find(fg::kCellOptionNames.begin(), fg::kCellOptionNames.end(), name);
        if (cell == fg::kCellOptionNames.end()) {
            throw py::type_error("fluegas_batch() got an unexpected column '" + name + "'");
        }
        columns.push_back({static_cast<std::size_t>(cell - fg::kCellOptionNames.begin()),
                           twsuite::batchColumnValues(name, item, cases)});
    }
    if (cases < 0) cases = 1;  // single values only: one case

    std::vector<std::pair<std::string, std::string>> settingTexts;
    for (const auto& [key, item] : settings) {
        settingTexts.emplace_back(key.cast<std::string>(), item.cast<std::string>());
    }
    const auto n = static_cast<std::size_t>(cases);
    std::vector<py::array_t<double>> results;
    std::vector<double*> out;
    for (std::size_t i = 0; i < fg::kResultColumns.size(); ++i) {
        results.emplace_back(cases);
        out.push_back(results.back().mutable_data());
    }
    BatchMessages messages(n);
    std::vector<DistinctMessages> distinct(threads);
    std::optional<FlueGasBatchRun> run;
    try {
        // A setting that cannot be used spoils every case: refuse the call, as a single call.
        run.emplace(std::move(columns), std::move(settingTexts), out, messages);
    } catch (const twcalc::UsageError& e) {
        throw py::value_error(e.what());
    }
    // Hundreds of thousands of new dicts and lists would set off the cycle collector again and
    // again, each time over all of them; none of them can be part of a cycle.
    const PausedCycleCollector paused;
    MessageDicts messageDict;
    twsuite::InterpreterTurns turns;
    py::list perCase(n);
    const auto listsOf = [&](std::size_t first, std::size_t last) {
        for (std::size_t c = first; c < last; ++c) {
            const CaseMessages& m = messages[c];
            const auto size = static_cast<Py_ssize_t>(m.shown.size() + (m.refusal.empty() ? 0 : 1));
            PyObject* list = PyList_New(size);
            if (list == nullptr) throw py::error_already_set();
            PyList_SET_ITEM(perCase.ptr(), static_cast<Py_ssize_t>(c), list);  // perCase owns it
            Py_ssize_t i = 0;
            for (const tw::RecordedMessage* shown : m.shown) {
                PyList_SET_ITEM(list, i++, messageDict(shown).release().ptr());
            }
            if (!m.refusal.empty()) {
                PyList_SET_ITEM(list, i,
                                messageDict(m.automationError ? "AutomationError" : "ValueError",
                                            m.refusal, tw::MessageIcon::Critical)
                                    .release()
                                    .ptr());
            }
            turns(c);  // the lists of a long batch take a good part of a second
        }
    };
    try {
        // The library is the batch's until it ends; its lock is waited for without the
        // interpreter's.
        std::unique_lock<std::mutex> library(libraryLock(), std::defer_lock);
        {
            const py::gil_scoped_release released;
            library.lock();
        }
        // Asked with the interpreter lock held, between the blocks handed on.
        const fg::ScopedBatchInterruptCheck interruptible{
            PythonInterruptCheck(std::chrono::milliseconds(2))};
        tw::TW_Language = lang == "ko" ? tw::TW_Korean : tw::TW_English;
        calculateOnThreads(*run, n, threads, distinct, listsOf);
    } catch (const fg::BatchInterrupted&) {
        throw py::error_already_set();
    }

    py::dict batch;
    for (std::size_t i = 0; i < fg::kResultColumns.size(); ++i) {
        const std::string_view name = fg::kResultColumns[i].second;
        batch[py::str(name.data(), name.size())] = results[i];
    }
    batch["messages"] = perCase;
    return batch;
}

std::vector<std::string> names(const auto& list) {
    return {list.begin(), list.end()};
}

}  // namespace

PYBIND11_MODULE(_twsuite, m) {
    m.doc() = "The compiled half of twsuite: the command layer of twcalc and the flue gas batch.";
    m.attr("SUCCESS") = static_cast<int>(twcalc::kSuccess);
    m.attr("AUTOMATION_ERROR") = static_cast<int>(twcalc::kAutomationError);
    m.attr("USAGE_ERROR") = static_cast<int>(twcalc::kUsageError);
    m.attr("FILE_ERROR") = static_cast<int>(twcalc::kFileError);
    m.attr("INPUT_REFUSED") = static_cast<int>(twcalc::kInputRefused);
    m.def("commands", &commands, "Every command with its arguments, from the command table.");
    m.def("evaluate", &evaluate, py::arg("arguments"),
          "Runs one twcalc command line in JSON mode: (status, value, error, malformed call).");
    py::class_<PreparedCall>(m, "PreparedCall")
        .def(py::init<const std::vector<std::string>&>(), py::arg("path"));
    m.def("function", &makeFunction, py::arg("prepared"), py::arg("fallback"),
          py::arg("pick") = std::nullopt,
          "A function that calls `prepared` directly and `fallback(outcome, args, kwargs)` for a "
          "call it does not take or that fails; with `pick`, that field of the object.");
    m.def("number_text", &twcalc::numberText, py::arg("value"),
          "A number as the text that options and table cells read back to the same value.");
    m.def("fluegas_batch", &fluegasBatch, py::arg("cells"), py::arg("settings"), py::arg("lang"),
          py::arg("jobs"),
          "Calculates one flue gas case per array element on `jobs` threads (None: one per core) "
          "without the interpreter lock.");
    m.attr("CELL_OPTIONS") = names(fg::kCellOptionNames);
    m.attr("SETTING_OPTIONS") = names(fg::kSettingOptionNames);
    std::vector<std::string> resultColumns;
    resultColumns.reserve(fg::kResultColumns.size());
    for (const auto& column : fg::kResultColumns) resultColumns.emplace_back(column.second);
    m.attr("RESULT_COLUMNS") = resultColumns;
    addGasPropertiesBatch(m, libraryLock());
}
