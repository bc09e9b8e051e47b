// A model-based fuzzer of the whole program, offscreen and in one process:
// seeded random sequences of what an author can do (type, tick, pick, New,
// Compile, OK, Cancel, Help, close, answer the message box) mixed with faults
// of the builder (the stand-in as PRAY.exe) and of the disk, run against the
// real windows, the real build and real folders. After every action the
// program is compared with a model of what must be true. A failing sequence
// is printed with its seed, shortened to a sequence that still fails.
//
//   model_fuzz [--sequences N] [--seed S] [--soak] [--replay "S:ACTIONS"]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "ui/controls/command_strip.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/slot_check_box.h"
#include "ui/frmAW/frmAW.h"
#include "ui/frmCompileIt/frmCompileIt.h"
#include "ui/frmLoad/frmLoad.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;
using ui::frmAW;

// ---------------------------------------------------------------- actions

enum class Op {
    Type,
    Pick,
    Tick,
    Clear,
    Gray,
    New,
    Compile,
    Ok,
    Cancel,
    CloseBox,
    Help,
    CloseMain,
    Builder,
    Disk,
    Answer,
    Wait
};
constexpr const char* kOpCodes = "TPKCGNMOXBHQUDAW";  // one letter per Op, for printing

struct Action {
    Op op;
    int a = 0;  // field, slot, order or fault
    int b = 0;  // text, entry or milliseconds
};

// The form's fields, in the order of the model's arrays. Lists carry entries.
struct Field {
    QString name;
    std::vector<QString> entries;  // empty: a text box
};
const std::vector<QString> kFileExts{".c16", ".s16", ".wav", ".catalogue"};
const std::vector<Field> kFields = [] {
    std::vector<Field> f{{"field_Name", {}}, {"field_COS_File", {}}};
    for (int n = 1; n <= 6; ++n) f.push_back({QString("field_File_%1").arg(n), {}});
    for (int n = 1; n <= 6; ++n) f.push_back({QString("field_File_Ext_%1").arg(n), kFileExts});
    f.push_back({"field_Image", {}});
    f.push_back({"field_Image_Ext", {".c16", ".s16"}});
    f.push_back({"field_Animation", {}});
    f.push_back({"field_Bioenergy",
                 {"10", "20", "30", "40", "50", "60", "70", "80", "90", "100", "200", "300", "400",
                  "500"}});
    f.push_back({"field_Remove_Script", {}});
    return f;
}();
constexpr int kName = 0, kScript = 1, kFile1 = 2, kExt1 = 8;

// What the author types: odd texts, and the names of the agents on disk.
const std::vector<QString> kTexts = {
    "",
    "   ",
    "\"q\"",
    "a\\b",
    QString::fromUtf8("Öl Lamp"),
    QString::fromUtf8("日本"),
    QString(100 * 1024, 'x'),
    "Lantern",
    "lantern",
    "glow",
    "20",
    ".wav",
    QString::fromUtf8("öl"),
};
constexpr int kBigText = 6;
// The texts that make a build go further, per field: name, script, files.
const std::vector<std::vector<int>> kGoodTexts = {{7, 7, 4}, {8, 8, 12}, {8, 9, 12}};

// What the builder is told, per build: its stand_in.control.
const char* const kOrders[] = {"package\n", "exit 3\n", "crash\n", "sleep_ms 1500\n",
                               "sleep_ms 40\npackage\n"};
constexpr int kHang = 3;
constexpr std::chrono::milliseconds kBuilderTimeout{600};

std::string Render(const std::vector<Action>& actions) {
    std::string text;
    for (const Action& x : actions) {
        text += kOpCodes[int(x.op)] + std::to_string(x.a) + "." + std::to_string(x.b) + " ";
    }
    return text;
}

std::vector<Action> Parse(const std::string& text) {
    std::vector<Action> actions;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        const auto dot = word.find('.');
        actions.push_back({Op(std::string(kOpCodes).find(word[0])), std::stoi(word.substr(1, dot)),
                           std::stoi(word.substr(dot + 1))});
    }
    return actions;
}

// ---------------------------------------------------------------- the disk

// A folder's contents by relative path; a null hash means any content.
struct Entry {
    bool dir = false;
    bool writable = true;
    std::optional<size_t> hash;
    bool operator==(const Entry&) const = default;
};
using Disk = std::map<std::string, Entry>;

size_t Hash(const fs::path& file) {
    std::string bytes(fs::file_size(file), '\0');
    std::ifstream(file, std::ios::binary).read(bytes.data(), std::streamsize(bytes.size()));
    return std::hash<std::string>()(bytes);
}

Disk Snapshot(const fs::path& root) {
    Disk disk;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::u8string relative = fs::relative(it->path(), root).generic_u8string();
        const std::string key(relative.begin(), relative.end());
        if (key.starts_with("stand_in.")) continue;  // the stand-in's own files
        Entry entry{it->is_directory(),
                    (it->status().permissions() & fs::perms::owner_write) != fs::perms::none,
                    {}};
        if (!entry.dir) entry.hash = Hash(it->path());
        disk[key] = entry;
    }
    return disk;
}

// True when the permission bits stop this process from writing (not root).
bool PermissionsBite() {
    TempFolder probe;
    fs::permissions(probe.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const bool bite = !std::ofstream(probe.path() / "x");
    fs::permissions(probe.path(), fs::perms::owner_all);
    return bite;
}
const bool kPermissionsBite = PermissionsBite();

// The program folder as the author laid it out: two agents and bystanders.
void LayOut(const fs::path& program) {
    std::vector<fs::path> old;
    for (const auto& entry : fs::recursive_directory_iterator(program)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
        const std::string name = ToUtf8(entry.path().filename());
        if (entry.path().parent_path() == program && name != "PRAY.exe" &&
            !name.starts_with("stand_in.")) {
            old.push_back(entry.path());
        }
    }
    for (const fs::path& path : old) fs::remove_all(path);
    const std::map<std::string, std::string> files{
        {"ormel", "program"},           {"keep.dat", "keep"},
        {"Other/keep.txt", "other"},    {"Lantern/lantern.cos", "inst"},
        {"Lantern/lantern.c16", "c16"}, {"Lantern/glow.wav", "wav"},
        {"Öl Lamp/öl.cos", "öl"},       {"Öl Lamp/öl.wav", "öl wav"}};
    for (const auto& [path, bytes] : files) {
        fs::create_directories((program / FromUtf8(path)).parent_path());
        WriteBytes(program / FromUtf8(path), bytes);
    }
}

// Disk faults, each made while no build runs. The read-only agent folder
// needs permission bits that bite; run as root, the document's place taken
// by a folder stands in for it.
const char* const kFaultFiles[] = {"lantern.c16", "glow.wav", "lantern.cos", "Lantern.txt"};
void MakeFault(const fs::path& program, int fault, int file) {
    const fs::path agent = program / "Lantern", name = kFaultFiles[file % 4];
    // A fault that cannot be made (a file where a folder was) leaves the disk
    // as it is: the model reads the disk afresh after every fault.
    try {
        if (fault == 0) fs::remove_all(agent);    // agent folder missing
        if (fault == 1) fs::remove(agent / name);  // a slot's file missing
        if (fault == 2 || fault == 3) {            // read-only or stale where a copy goes
            fs::remove(program / name);
            WriteBytes(program / name, "stale");
            if (fault == 2) fs::permissions(program / name, fs::perms::owner_read);
        }
        if (fault == 3) WriteBytes(agent / "Lantern.txt", "stale");
        if (fault == 4 && kPermissionsBite) {
            fs::permissions(agent, fs::perms::owner_read | fs::perms::owner_exec);
        } else if (fault == 4) {
            fs::create_directory(agent / "Lantern.txt");
        }
        if (fault == 5) LayOut(program);  // all faults undone
    } catch (const std::exception&) {
    }
}

// ---------------------------------------------------------------- the model

struct Form {
    std::vector<QString> text;
    std::vector<int> chosen;  // list entry picked, -1 for none
    std::array<int, 6> check{1, 0, 0, 0, 0, 0};
    QString caption = "untitled.agent";

    void Reset() {
        text.assign(kFields.size(), "");
        text[15] = ".c16", text[16] = "0", text[17] = "0", text[18] = "enum CLASS kill targ next";
        chosen.assign(kFields.size(), -1);
        caption = "untitled.agent";
    }
    std::string Utf8(int field) const { return text[size_t(field)].toStdString(); }
};

// What one build will do, worked out from the form and the disk when OK
// arms it: the messages, the builder's starts, the disk afterwards and the
// paths it may touch on the way. Every rule of the build lives here.
struct Prediction {
    std::vector<std::string> messages;
    int launches = 0;
    Disk after;
    std::set<std::string> touched;
};

const std::string kFailure =
    "ERROR: An error has occured. The agent was not created. Make sure the file doesn't already "
    "exist.";

// The build refuses an empty agent name before it writes anything.
constexpr bool kEmptyNameRefused = false;

Prediction Predict(const Form& form, const Disk& before, int order) {
    Prediction p{{kFailure}, 0, before, {}};
    Disk& disk = p.after;
    const std::string name = form.Utf8(kName);
    auto unsafe = [](const std::string& n) {
        return n.find_first_of("/\\") != std::string::npos || n == "." || n == "..";
    };
    // The staged copies in order: used slots, the script, the document.
    std::vector<std::pair<std::string, std::string>> copies;
    bool refused = unsafe(name);
    refused |= name.empty() && kEmptyNameRefused;
    bool uncategorised = false;
    for (int s = 0; s < 6; ++s) {
        if (form.check[size_t(s)] != 1) continue;
        const int ext = kExt1 + s;
        const std::string file = form.Utf8(kFile1 + s) + form.Utf8(ext);
        refused |= unsafe(file);
        uncategorised |= form.chosen[size_t(ext)] < 0;
        copies.push_back({name + "/" + file, file});
    }
    const std::string script = form.Utf8(kScript) + ".cos";
    const std::string document = name + "/" + name + ".txt", package = name + ".agent";
    refused |= unsafe(script);
    copies.push_back({name + "/" + script, script});
    copies.push_back({document, name + ".txt"});
    if (refused) return p;
    if (name.empty()) {
        // Today the document of an empty name lands in the program folder as
        // ".txt", and the first copy, from the program folder onto itself,
        // fails.
        p.touched.insert(".txt");
        if (!before.count(".txt") || !before.at(".txt").dir) disk[".txt"] = Entry{};
        return p;
    }

    for (const auto& [from, to] : copies) p.touched.insert(to);
    p.touched.insert({document, package});
    auto is = [&](const std::string& key, bool dir) {
        return disk.count(key) && disk[key].dir == dir;
    };
    if (!is(name, true) || is(document, true) || name.size() + 4 > 255) return p;
    const bool folder_writable = !kPermissionsBite || disk[name].writable;
    if (!disk.count(document) && !folder_writable) return p;
    disk[document] = Entry{};  // written, completely or in part
    if (uncategorised) return p;
    for (const auto& [from, to] : copies) {
        if (!is(from, false) || (disk.count(to) && (disk[to].dir || !disk[to].writable))) return p;
        disk[to] = disk[from];
    }
    p.launches = 1;
    if (order == 1 || order == 2 || order == kHang) return p;
    if (order == 0 || order == 4) disk[package] = Entry{};
    p.messages = {name + ".agent was created successfully."};
    for (const auto& [from, to] : copies) disk.erase(to);
    if (folder_writable) {
        disk.erase(document);
    } else {
        p.messages.push_back(kFailure);
    }
    return p;
}

// ---------------------------------------------------------------- one sequence

struct Outcome {
    std::string failure;  // empty when every invariant held
    std::vector<Action> actions;
    long checks = 0;
};

std::mutex g_current_mutex;
std::string g_current;  // the running sequence, for the watchdog
std::atomic<long long> g_progress{0};

class Sequence {
  public:
    Sequence(uint64_t seed, int length, std::optional<std::vector<Action>> script)
        : rng_(seed),
          seed_(seed),
          length_(length),
          script_(std::move(script)),
          program_(folder_.path()),
          window_(new frmAW) {
        InstallStandIn(program_, kOrders[0]);
        LayOut(program_);
        BuildEnvironment environment;
        environment.program_folder = ToUtf8(program_);
        environment.program_executable = ToUtf8(program_ / "ormel");
        environment.builder_timeout = kBuilderTimeout;
        environment.wake_up = std::chrono::milliseconds(5);
        window_->SetBuildEnvironment(environment);
        window_->SetHelpLaunchers({[this](const QString&, const QString&) { return ++helps_ > 0; },
                                   [](const QUrl&) { return false; }});
        window_->show();
        form_.Reset();
        baseline_ = Snapshot(program_);
        QObject::connect(&step_, &QTimer::timeout, [this] { Step(); });
        step_.setSingleShot(true);
    }

    Outcome Run() {
        step_.start(0);
        loop_.exec();
        // The windows are gone: none left open, none waiting to be deleted.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int open = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) open += !w->parentWidget();
        Expect(open == 0, "windows left open after the main window closed");
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!w->parentWidget()) delete w;
        return {failure_, done_, checks_};
    }

  private:
    enum class Build { Idle, Armed, Running };

    void Expect(bool holds, const std::string& what) {
        ++checks_;
        if (!holds && failure_.empty()) failure_ = what;
    }

    QMessageBox* Box() const {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return box && box->isVisible() ? box : nullptr;
    }
    bool Alive() const { return window_ && !closed_; }

    void Step() {
        g_progress = QDateTime::currentMSecsSinceEpoch();
        Observe();
        const bool building = build_ != Build::Idle;
        if (build_ == Build::Armed && !Box()) return step_.start(1);  // the tick comes first
        std::optional<Action> next;
        if (!Finished()) next = Next();
        if (!next && Box()) next = Action{Op::Answer};
        if (!next && (building || (window_ && window_->BuildRunning()))) return step_.start(2);
        if (!next) return Close();
        if (!Box() || next->op == Op::Answer || next->op == Op::Wait) Do(*next);
        done_.push_back(*next);
        {
            std::lock_guard lock(g_current_mutex);
            g_current = std::to_string(seed_) + ":" + Render(done_);
        }
        Observe();
        Check();
        step_.start(next->op == Op::Wait ? next->b : 0);
    }

    bool Finished() const {
        return !Alive() || !failure_.empty() ||
               (script_ ? cursor_ >= script_->size() : int(done_.size()) >= length_);
    }

    // The next action: from the script, or drawn from what the author can do now.
    std::optional<Action> Next() {
        if (script_) return (*script_)[cursor_++];
        auto pick = [&](int n) { return int(rng_() % unsigned(n)); };
        if (Box()) return pick(3) ? Action{Op::Answer} : Action{Op::Wait, 0, pick(40)};
        if (!pending_.empty()) {
            const Action a = pending_.front();
            pending_.erase(pending_.begin());
            return a;
        }
        const bool idle = build_ == Build::Idle && !window_->BuildRunning();
        const bool dialog = ui::frmCompileIt::Instance();
        for (;;) {
            const int r = pick(100);
            if (r < 30) {
                const int field = pick(int(kFields.size()));
                const int kind = field == kName ? 0 : field == kScript ? 1 : field < kExt1 ? 2 : -1;
                const int text = kind >= 0 && pick(2) ? kGoodTexts[size_t(kind)][size_t(pick(3))]
                                                      : pick(int(kTexts.size()));
                if (text != kBigText || pick(8) == 0) return Action{Op::Type, field, text};
            } else if (r < 40) {
                const int field = kExt1 + pick(10);
                if (!kFields[size_t(field)].entries.empty()) {
                    return Action{Op::Pick, field,
                                  pick(int(kFields[size_t(field)].entries.size()))};
                }
            } else if (r < 50) {
                return Action{Op(int(Op::Tick) + pick(4) % 3), pick(6)};
            } else if (r < 53) {
                return Action{Op::New};
            } else if (r < 62) {
                return Action{Op::Compile};
            } else if (r < 76 && dialog) {
                return Action{r < 72 ? Op::Ok : r < 74 ? Op::Cancel : Op::CloseBox};
            } else if (r < 78) {
                return Action{Op::Help};
            } else if (r < 79) {
                return Action{Op::CloseMain};
            } else if (r < 84 && idle) {
                const int orders[] = {0, 0, 1, 2, 4};
                return Action{Op::Builder, pick(10) == 0 ? kHang : orders[pick(5)]};
            } else if (r < 90 && idle) {
                return Action{Op::Disk, pick(6), pick(4)};
            } else if (r < 94) {
                return Action{Op::Wait, 0, pick(30)};
            } else {
                pending_ = Fill(pick(2));
                return Next();
            }
        }
    }
    // The form of one agent on disk, as an author fills it in.
    static std::vector<Action> Fill(int agent) {
        if (agent == 1) {
            return {{Op::Type, kName, 4},   {Op::Type, kScript, 12}, {Op::Tick, 0},
                    {Op::Type, kFile1, 12}, {Op::Pick, kExt1, 2},    {Op::Clear, 1}};
        }
        return {{Op::Type, kName, 7}, {Op::Type, kScript, 8},    {Op::Clear, 0},
                {Op::Tick, 1},        {Op::Type, kFile1 + 1, 8}, {Op::Pick, kExt1 + 1, 0},
                {Op::Tick, 4},        {Op::Type, kFile1 + 4, 9}, {Op::Pick, kExt1 + 4, 2}};
    }

    // Runs one action on the real windows and the disk, and moves the model.
    void Do(const Action& x) {
        const bool idle = build_ == Build::Idle && window_ && !window_->BuildRunning();
        auto* dialog = ui::frmCompileIt::Instance();
        if (!Alive() && x.op != Op::Answer && x.op != Op::Wait) return;
        const size_t f = size_t(x.a) % kFields.size();
        switch (x.op) {
            case Op::Type: {
                auto* list = window_->findChild<QComboBox*>(kFields[f].name);
                QLineEdit* box =
                    list ? list->lineEdit() : window_->findChild<QLineEdit*>(kFields[f].name);
                const QString& text = kTexts[size_t(x.b) % kTexts.size()];
                box->selectAll();
                if (text.isEmpty()) {
                    QTest::keyClick(box, Qt::Key_Delete);
                } else {
                    box->insert(text);  // as a paste does
                }
                // Typing over a text is an edit even when the text stays the
                // same; typing nothing into an empty box is none.
                if (!form_.text[f].isEmpty() || !text.isEmpty()) {
                    form_.chosen[f] = -1;
                    if (f == kName) form_.caption = text + ".agent - Compile";
                }
                form_.text[f] = text;
                break;
            }
            case Op::Pick: {
                auto* list = window_->findChild<QComboBox*>(kFields[f].name);
                if (!list) break;
                const int entry = x.b % list->count();
                auto press = [&](bool down) {
                    QTest::keyClick(list, down ? Qt::Key_Down : Qt::Key_Up);
                };
                if (list->currentIndex() == entry) {
                    press(entry + 1 < list->count());
                    press(entry + 1 >= list->count());
                }
                while (list->currentIndex() != entry) press(list->currentIndex() < entry);
                form_.text[f] = kFields[f].entries[size_t(entry)];
                form_.chosen[f] = entry;
                break;
            }
            case Op::Tick:
            case Op::Clear:
            case Op::Gray: {
                const size_t s = size_t(x.a) % 6;
                auto* check =
                    window_->findChild<ui::SlotCheckBox*>(QString("check_File_%1").arg(s + 1));
                const int want = x.op == Op::Tick ? 1 : x.op == Op::Clear ? 0 : 2;
                if (want == 2) check->SetValue(CheckValue::Grayed);
                while (want != 2 && int(check->Value()) != want)
                    QTest::mouseClick(check, Qt::LeftButton);
                form_.check[s] = want;
                break;
            }
            case Op::New:
                ClickTab(0);
                Reset();
                break;
            case Op::Compile:
                ClickTab(1);
                dialog_ = true;
                break;
            case Op::Help:
                ClickTab(2);
                ++help_calls_;
                break;
            case Op::Ok:
                if (!dialog) break;
                if (idle) Arm();
                QTest::mouseClick(dialog->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
                dialog_ = false;
                break;
            case Op::Cancel:
                if (dialog)
                    QTest::mouseClick(dialog->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
                dialog_ = false;
                break;
            case Op::CloseBox:
                if (dialog) dialog->close();
                dialog_ = false;
                break;
            case Op::CloseMain:
                window_->close();
                closing_ = true;
                if (!window_->BuildRunning()) Closed();
                break;
            case Op::Builder:
                if (!idle) break;
                order_ = x.a % 5;
                WriteBytes(program_ / "stand_in.control", kOrders[order_]);
                break;
            case Op::Disk:
                if (!idle) break;
                MakeFault(program_, x.a, x.b);
                baseline_ = Snapshot(program_);
                break;
            case Op::Answer:
                if (QMessageBox* box = Box())
                    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                break;
            case Op::Wait:
                break;
        }
    }
    void ClickTab(int tab) {
        auto* strip = window_->findChild<ui::CommandStrip*>("tsButtons");
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->TabRect(tab).center());
    }
    void Reset() {
        const auto check = form_.check;
        form_.Reset();
        form_.check = check;
    }
    void Arm() {
        build_ = Build::Armed;
        expected_ = Predict(form_, baseline_, order_);
        messages_.clear();
        starts_before_ = Starts();
    }
    void Closed() {
        closed_ = true;
        dialog_ = false;
    }
    int Starts() const {
        int starts = 0;
        for (const StandInRun& run : StandInRuns(program_)) starts += run.arguments.size() > 0;
        return starts;
    }

    // What happened since the last look: message boxes, a build's start and end.
    void Observe() {
        QMessageBox* box = Box();
        if (box && box != last_box_) {
            last_box_ = box;
            Expect(build_ != Build::Idle,
                   "a message box outside a build: " + box->text().toStdString());
            Expect(box->windowTitle() == "Vantrel" && box->icon() == QMessageBox::NoIcon,
                   "a message box not captioned Vantrel or with an icon");
            messages_.push_back(box->text().toStdString());
            build_ = Build::Running;
        }
        const bool running = window_ && window_->BuildRunning();
        if (build_ == Build::Armed && running) build_ = Build::Running;
        if (build_ == Build::Armed && window_ && window_->CompileTimerInterval() == 0 && !box) {
            Expect(false, "OK armed a build that never ran");
            build_ = Build::Idle;
        }
        if (build_ == Build::Running && !running && !box) EndBuild();
        if (closing_ && !running && !closed_) Closed();
    }

    void EndBuild() {
        build_ = Build::Idle;
        auto first_line = [](const std::vector<std::string>& m) {
            std::string all;
            for (const auto& s : m) all += "[" + s.substr(0, 60) + "]";
            return all;
        };
        Expect(messages_ == expected_.messages, "messages " + first_line(messages_) +
                                                    " where the model expects " +
                                                    first_line(expected_.messages));
        Expect(Starts() - starts_before_ == expected_.launches,
               "the builder started " + std::to_string(Starts() - starts_before_) + " times");
        const Disk now = Snapshot(program_);
        for (const auto& [key, entry] : now) {
            const auto want = expected_.after.find(key);
            Expect(want != expected_.after.end(),
                   "after the build " + key + " is there, unexpected");
            if (want == expected_.after.end()) continue;
            Expect(entry.dir == want->second.dir &&
                       (!want->second.hash || entry.hash == want->second.hash),
                   "after the build " + key + " differs from the model");
        }
        for (const auto& [key, entry] : expected_.after) {
            Expect(now.count(key), "after the build " + key + " is gone, unexpected");
        }
        Expect(!ui::frmLoad::Current(), "a progress window outlived its build");
        if (window_)
            Expect(window_->CompileTimerInterval() == 0, "the build timer is armed after a build");
        baseline_ = now;
    }

    // The invariants that hold after every action.
    void Check() {
        int dialogs = 0, progress = 0, boxes = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible()) continue;
            dialogs += qobject_cast<ui::frmCompileIt*>(w) != nullptr;
            progress += qobject_cast<ui::frmLoad*>(w) != nullptr;
            boxes += qobject_cast<QMessageBox*>(w) != nullptr;
        }
        Expect(dialogs <= 1 && progress <= 1 && boxes <= 1,
               "two dialogs, progress windows or boxes");
        Expect(dialog_ == (ui::frmCompileIt::Instance() != nullptr),
               "the dialog is not as the model says");
        Expect(helps_ == help_calls_, "Help started " + std::to_string(helps_) + " browsers");
        if (closed_) {
            Expect(!window_ || !window_->isVisible(),
                   "the main window is still open after its close");
        } else if (window_) {
            CheckForm();
            const bool running = window_->BuildRunning();
            Expect(window_->CompileTimerInterval() == (build_ == Build::Idle && !running ? 0 : 1),
                   "the build timer's interval is not as the model says");
        }
        // Nothing outside what the running build may touch has changed.
        const Disk now = Snapshot(program_);
        const std::set<std::string> none;
        const auto& touched = build_ == Build::Idle ? none : expected_.touched;
        for (const auto& [key, entry] : baseline_) {
            const auto it = now.find(key);
            Expect(touched.count(key) || (it != now.end() && it->second == entry),
                   key + " changed or deleted");
        }
        for (const auto& [key, entry] : now) {
            Expect(touched.count(key) || baseline_.count(key), key + " appeared");
        }
    }

    void CheckForm() {
        for (size_t f = 0; f < kFields.size(); ++f) {
            auto* list = window_->findChild<ui::EditableList*>(kFields[f].name);
            const QString text =
                list ? list->Text() : window_->findChild<QLineEdit*>(kFields[f].name)->text();
            Expect(text == form_.text[f], kFields[f].name.toStdString() + " holds " +
                                              std::to_string(text.size()) + " characters, not " +
                                              std::to_string(form_.text[f].size()));
            if (list)
                Expect(list->ChosenIndex() == form_.chosen[f],
                       kFields[f].name.toStdString() + " chosen");
        }
        for (int s = 0; s < 6; ++s) {
            auto* check =
                window_->findChild<ui::SlotCheckBox*>(QString("check_File_%1").arg(s + 1));
            Expect(int(check->Value()) == form_.check[size_t(s)],
                   "check box " + std::to_string(s + 1));
        }
        Expect(window_->findChild<QGroupBox*>("frEdit")->title() == form_.caption,
               "the frame caption");
    }

    void Close() {
        if (window_ && !closed_) {
            window_->close();
            Closed();
        }
        loop_.quit();
    }

    std::mt19937_64 rng_;
    uint64_t seed_;
    int length_;
    std::optional<std::vector<Action>> script_;
    size_t cursor_ = 0;
    std::vector<Action> pending_;  // the rest of a filled-in form
    TempFolder folder_;
    fs::path program_;
    QPointer<frmAW> window_;
    QEventLoop loop_;
    QTimer step_;
    Form form_;
    Disk baseline_;
    Build build_ = Build::Idle;
    Prediction expected_;
    std::vector<std::string> messages_;
    int starts_before_ = 0;
    QPointer<QMessageBox> last_box_;
    int order_ = 0;
    int helps_ = 0, help_calls_ = 0;
    bool dialog_ = false, closing_ = false, closed_ = false;
    std::vector<Action> done_;
    std::string failure_;
    long checks_ = 0;
};

// ---------------------------------------------------------------- driver

Outcome RunOne(uint64_t seed, int length, std::optional<std::vector<Action>> script = {}) {
    return Sequence(seed, length, std::move(script)).Run();
}

// Shortens a failing sequence: drops runs of actions, longest first, while
// the rest still fails.
std::vector<Action> Shrink(uint64_t seed, std::vector<Action> actions) {
    for (size_t chunk = actions.size() / 2; chunk >= 1; chunk /= 2) {
        for (size_t at = 0; at + chunk <= actions.size();) {
            std::vector<Action> shorter = actions;
            shorter.erase(shorter.begin() + long(at), shorter.begin() + long(at + chunk));
            if (!RunOne(seed, 0, shorter).failure.empty()) {
                actions = shorter;
            } else {
                at += chunk;
            }
        }
    }
    return actions;
}

}  // namespace
}  // namespace ormel::test

int main(int argc, char** argv) {
    using namespace ormel::test;
    QApplication app(argc, argv);
    // The offscreen platform reports every raise() it cannot do.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtWarningMsg || !text.startsWith("This plugin does not support")) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });
    ormel::ui::frmLoad::SetTickInterval(std::chrono::milliseconds(5));
    int sequences = 300, length = 40;
    uint64_t first_seed = 1;
    std::optional<std::string> replay;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--soak") sequences = 10000;
        if (arg == "--sequences" && i + 1 < argc) sequences = std::stoi(argv[++i]);
        if (arg == "--seed" && i + 1 < argc) first_seed = std::stoull(argv[++i]);
        if (arg == "--replay" && i + 1 < argc) replay = argv[++i];
    }
    std::thread([] {  // no action may hang: the whole run stops
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const long long last = g_progress;
            if (last && QDateTime::currentMSecsSinceEpoch() - last > 30000) {
                std::lock_guard lock(g_current_mutex);
                std::fprintf(stderr, "HANG: no action ended for 30 s\n  %s\n", g_current.c_str());
                std::_Exit(2);
            }
        }
    })
        .detach();

    if (replay) {
        const auto colon = replay->find(':');
        const Outcome o =
            RunOne(std::stoull(replay->substr(0, colon)), 0, Parse(replay->substr(colon + 1)));
        std::printf("%s\n", o.failure.empty() ? "passed" : o.failure.c_str());
        return o.failure.empty() ? 0 : 1;
    }
    QElapsedTimer clock;
    clock.start();
    long checks = 0;
    for (int n = 0; n < sequences; ++n) {
        const uint64_t seed = first_seed + uint64_t(n);
        const Outcome o = RunOne(seed, length);
        checks += o.checks;
        if (o.failure.empty()) continue;
        std::fprintf(stderr, "FAILED seed %llu: %s\n  %llu:%s\n", (unsigned long long)seed,
                     o.failure.c_str(), (unsigned long long)seed, Render(o.actions).c_str());
        const auto shrunk = Shrink(seed, o.actions);
        const Outcome again = RunOne(seed, 0, shrunk);
        std::fprintf(stderr, "shortened (%s):\n  --replay \"%llu:%s\"\n", again.failure.c_str(),
                     (unsigned long long)seed, Render(shrunk).c_str());
        return 1;
    }
    const double seconds = double(clock.elapsed()) / 1000.0;
    std::printf("%d sequences of %d actions in %.1f s (%.1f per second), %ld invariants checked\n",
                sequences, length, seconds, sequences / seconds, checks);
    return 0;
}
