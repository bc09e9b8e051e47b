// A model-based fuzzer of the whole program, offscreen and in one process:
// seeded random sequences of what an author can do, mixed with faults of the
// builder (the stand-in as PRAY.exe) and of the disk, run against the real
// windows, build and folders, and compared with a model after every action.
// A failing sequence is printed with its seed, then shortened.
//
//   model_fuzz [--sequences N] [--seed S] [--soak] [--replay "SEED:ACTIONS"]
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "agent/pray_source_writer.h"
#include "pray/pray_test_support.h"
#include "support/stand_in.h"
#include "support/temp_folder.h"
#include "ui/controls/command_strip.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/slot_check_box.h"
#include "ui/frmAW/frmAW.h"
#include "ui/frmCompileIt/frmCompileIt.h"
#include "ui/frmLoad/frmLoad.h"
#include "ui/message_box.h"

namespace ormel::test {
namespace {

namespace fs = std::filesystem;
using ui::frmAW;

// ------------------------------------------------------------ the action table

// Each action is an operation and two small numbers, so that a sequence
// prints as text ("T0.7" types text 7 into field 0) and replays from it.
// clang-format off
enum class Op { Type, Pick, Tick, Clear, Gray, New, Compile, Ok, Cancel, CloseBox, Help, CloseMain,
                Builder, Disk, Fill, Wait, Answer, Reopen };
enum class When { Always, DialogOpen, NoBuild };  // when the author can draw the action
struct OpInfo { char code; int weight; When when; };
constexpr OpInfo kOps[] = {
    {'T', 28, When::Always}, {'P', 10, When::Always}, {'K', 4, When::Always},
    {'C', 4, When::Always}, {'G', 2, When::Always}, {'N', 3, When::Always},
    {'M', 9, When::Always}, {'O', 14, When::DialogOpen}, {'X', 2, When::DialogOpen},
    {'B', 2, When::DialogOpen}, {'H', 2, When::Always}, {'Q', 1, When::Always},
    {'U', 5, When::NoBuild}, {'D', 6, When::NoBuild}, {'F', 8, When::Always},
    {'W', 4, When::Always}, {'A', 0, When::Always}, {'R', 6, When::NoBuild},
};
// clang-format on

struct Action {
    Op op;
    int a = 0;  // field, slot, builder order, disk fault or agent
    int b = 0;  // text, list entry, file or milliseconds
};

std::string Render(const std::vector<Action>& actions) {
    std::string text;
    for (const Action& x : actions) {
        text += kOps[int(x.op)].code + std::to_string(x.a) + "." + std::to_string(x.b) + " ";
    }
    return text;
}

std::vector<Action> Parse(const std::string& text) {
    std::vector<Action> actions;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        const auto op = std::find_if(std::begin(kOps), std::end(kOps),
                                     [&](const OpInfo& info) { return info.code == word[0]; });
        const auto dot = word.find('.');
        actions.push_back({Op(op - std::begin(kOps)), std::stoi(word.substr(1, dot)),
                           std::stoi(word.substr(dot + 1))});
    }
    return actions;
}

// The form's fields in the model's order; the lists' entries are the window's.
const QStringList kFields = [] {
    QStringList f{"field_Name", "field_COS_File"};
    for (int n = 1; n <= 6; ++n) f << QString("field_File_%1").arg(n);
    for (int n = 1; n <= 6; ++n) f << QString("field_File_Ext_%1").arg(n);
    return f << "field_Image"
             << "field_Image_Ext"
             << "field_Animation"
             << "field_Bioenergy"
             << "field_Remove_Script"
             << "field_Block"
             << "field_Description"
             << "field_First_Image";
}();
constexpr int kName = 0, kScript = 1, kFile1 = 2, kExt1 = 8, kImage = 14, kImageExt = 15,
              kBioenergy = 17, kBlock = 19, kFirstImage = 21;

// What the author types: odd texts, and the names of the agents on disk. The
// names that the build refuses (leading out of a folder, outside the code
// page) are the core tests' cases.
const QStringList kTexts = {
    "",          "   ",     "\"q\"", "a.c16", "Öl Lamp", "Ünï", QString(100 * 1024, 'x'),
    "Lantern",   "lantern", "glow",  "20",    ".wav",    "öl",  "-7",
    "2147483648"};
constexpr int kBigText = 6;
// Per field (name, script, slot files, first image): the texts that take a
// build further.
const int kGoodTexts[4][3] = {{7, 7, 4}, {8, 8, 12}, {8, 9, 12}, {0, 10, 13}};

// The later edition's block, which has no bio-energy value.
const QString kDsag = "DSAG";

// The first image as the builder takes it: a 32-bit whole number, or none.
bool FirstImageBuilds(const std::string& text) {
    if (text.empty()) return true;
    const size_t digits = text.starts_with('-') ? 1 : 0;
    if (text.size() == digits || text.size() - digits > 10 ||
        text.find_first_not_of("0123456789", digits) != std::string::npos)
        return false;
    const long long value = std::stoll(text);
    return value >= INT32_MIN && value <= INT32_MAX;
}
// The two agents on disk, filled in as an author does (see Render); Fill 2
// and 3 compile them at once.
const char* const kFills[] = {"T0.7 T1.8 C0.0 K1.0 T3.8 P9.0 K4.0 T6.9 P12.2",
                              "T0.4 T1.12 K0.0 T2.12 P8.2 C1.0"};

// What the builder is told to do (its stand_in.control), per build: end
// with 0 and write the package, end with 3, crash, hang past the timeout
// (and write the package if it is let run), or be slower than the progress
// window.
const char* const kOrders[] = {"package\n", "exit 3\n", "crash\n", "sleep_ms 4000\npackage\n",
                               "sleep_ms 40\npackage\n"};
constexpr int kHang = 3;
constexpr std::chrono::milliseconds kBuilderTimeout{2500};

// ------------------------------------------------------------ the disk

// A folder's contents by relative path; no hash stands for any content.
struct Entry {
    bool dir = false;
    bool writable = true;
    std::optional<size_t> hash;
    bool operator==(const Entry&) const = default;
};
using Disk = std::map<std::string, Entry>;

// The program folder but the stand-in (PRAY.exe, large, and its own files).
Disk Snapshot(const fs::path& root) {
    Disk disk;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::u8string relative = fs::relative(entry.path(), root).generic_u8string();
        const std::string key(relative.begin(), relative.end());
        if (key == "PRAY.exe" || key.starts_with("stand_in.")) continue;
        const auto perms = entry.status().permissions();
        disk[key] = {entry.is_directory(), (perms & fs::perms::owner_write) != fs::perms::none,
                     entry.is_directory()
                         ? std::nullopt
                         : std::optional(std::hash<std::string>()(ReadBytes(entry.path())))};
    }
    return disk;
}

// False when this process writes whatever the permission bits say (root).
const bool kPermissionsBite = ::geteuid() != 0;

// The program folder as the author laid it out: two agents and bystanders.
void LayOut(const fs::path& program) {
    for (const auto& entry : fs::recursive_directory_iterator(program))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
    for (const auto& entry : std::vector(fs::directory_iterator(program), {})) {
        const std::string name = ToUtf8(entry.path().filename());
        if (name != "PRAY.exe" && !name.starts_with("stand_in.")) fs::remove_all(entry.path());
    }
    const std::map<std::string, std::string> files{
        {"ormel", "program"},           {"keep.dat", "keep"},           {"Other/keep.txt", "other"},
        {"Lantern/lantern.cos", "cos"}, {"Lantern/lantern.c16", "c16"}, {"Lantern/glow.wav", "wav"},
        {"Öl Lamp/öl.cos", "öl cos"},   {"Öl Lamp/öl.wav", "öl wav"}};
    for (const auto& [path, bytes] : files) {
        fs::create_directories((program / FromUtf8(path)).parent_path());
        WriteBytes(program / FromUtf8(path), bytes);
    }
}

// Disk faults, made while no build runs. Run as root, permission bits stop
// no write, so a folder in the document's place stands in for the
// read-only agent folder.
void MakeFault(const fs::path& program, int fault, int file) {
    const char* const files[] = {"lantern.c16", "glow.wav", "lantern.cos", "Lantern.txt"};
    const fs::path agent = program / "Lantern", name = files[file % 4];
    // A fault that cannot be made (a file where a folder is) leaves the disk
    // as it is; the model reads the disk afresh after every fault.
    try {
        if (fault == 0) fs::remove_all(agent);     // agent folder missing
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
        if (fault == 5) LayOut(program);  // every fault undone
    } catch (const std::exception&) {
    }
}

// ------------------------------------------------------------ the model

struct Form {
    QStringList text;
    std::vector<int> chosen;  // the list entry picked, -1 for none
    std::array<int, 6> check{1, 0, 0, 0, 0, 0};
    QString caption;

    // The form at start-up and after New; the check boxes stay.
    void Reset() {
        text = QStringList(kFields.size());
        text[15] = ".c16", text[16] = "0", text[17] = "0", text[18] = "enum CLASS kill targ next";
        text[kBlock] = "AGNT";
        chosen.assign(kFields.size(), -1);
        caption = "untitled.agent";
    }
    std::string Utf8(int field) const { return text[field].toStdString(); }
};

// What one build will do, worked out from the form and the disk when OK
// arms it: its messages, the builder's starts, the disk afterwards and the
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
Prediction Predict(const Form& form, const Disk& before, int order) {
    Prediction p{{kFailure}, 0, before, {}};
    Disk& disk = p.after;
    const std::string name = form.Utf8(kName), script = form.Utf8(kScript) + ".cos";
    const std::string document = name + "/" + name + ".txt", package = name + ".agent";
    // The staged copies in order (used slots, the script, the document), the
    // names read once before anything is written.
    std::vector<std::pair<std::string, std::string>> copies;
    bool uncategorised = false;
    for (int s = 0; s < 6; ++s) {
        if (form.check[size_t(s)] != 1) continue;
        const std::string file = form.Utf8(kFile1 + s) + form.Utf8(kExt1 + s);
        uncategorised |= form.chosen[size_t(kExt1 + s)] < 0;
        copies.push_back({name + "/" + file, file});
    }
    copies.push_back({name + "/" + script, script});
    copies.push_back({document, name + ".txt"});
    // Refused before anything is written.
    if (name.empty() || !FirstImageBuilds(form.Utf8(kFirstImage))) return p;
    for (const auto& copy : copies) p.touched.insert(copy.second);
    p.touched.insert({document, package});
    auto is = [&](const std::string& key, bool dir) {
        return disk.count(key) && disk[key].dir == dir;
    };
    if (!is(name, true) || is(document, true) || name.size() + 4 > 255) return p;
    const bool folder_writable = !kPermissionsBite || disk[name].writable;
    if (!disk.count(document) && !folder_writable) return p;
    disk[document] = Entry{};  // written whole, or in part when a category is missing
    if (uncategorised) return p;
    for (const auto& [from, to] : copies) {
        if (!is(from, false) || (disk.count(to) && (disk[to].dir || !disk[to].writable))) return p;
        disk[to] = disk[from];
    }
    p.launches = 1;
    if (order == 1 || order == 2 || order == kHang) return p;  // exit 3, crash, hang
    if (order == 0 || order == 4) disk[package] = Entry{};
    p.messages = {name + ".agent was created successfully."};
    for (const auto& copy : copies) disk.erase(copy.second);
    if (!folder_writable) return p.messages.push_back(kFailure), p;
    disk.erase(document);
    return p;
}

// ------------------------------------------------------------ one sequence

struct Outcome {
    std::string failure;  // empty when every invariant held
    std::vector<Action> actions;
    long checks = 0;
    int builds = 0, successes = 0;
};

// For the watchdog: the time of the last action and the sequence so far.
using Clock = std::chrono::steady_clock;
std::mutex g_current_mutex;
Clock::time_point g_last_action;
std::string g_current;

class Sequence {
  public:
    Sequence(uint64_t seed, int length, std::optional<std::vector<Action>> script)
        : rng_(seed), seed_(seed), length_(length), script_(std::move(script)) {
        InstallStandIn(program_, kOrders[0]);
        LayOut(program_);
        window_->SetBuildEnvironment(environment_);
        window_->SetHelpLaunchers({[this](const QString&, const QStringList&) { return ++helps_; },
                                   [](const QUrl&) { return false; }});
        window_->show();
        form_.Reset();
        baseline_ = Snapshot(program_);
        step_.setSingleShot(true);
        QObject::connect(&step_, &QTimer::timeout, [this] { Step(); });
    }

    Outcome Run() {
        step_.start(0);
        loop_.exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            Expect(window->parentWidget(), "a window is left open after the main window closed");
            if (!window->parentWidget()) delete window;
        }
        outcome_.actions = done_;
        return outcome_;
    }

  private:
    enum class Build { Idle, Armed, Running };

    void Expect(bool holds, const std::string& what) {
        ++outcome_.checks;
        if (!holds && outcome_.failure.empty()) outcome_.failure = what;
    }
    static QMessageBox* Box() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return box && box->isVisible() ? box : nullptr;
    }
    bool Open() const { return window_ && !closed_; }
    bool Running() const { return window_ && window_->BuildRunning(); }
    bool NoBuild() const { return build_ == Build::Idle && !Running(); }

    // One action, from a timer: it runs inside whatever event loop is
    // current, the build's wait and the message box's own included.
    void Step() {
        Observe();
        if (build_ == Build::Armed && !Box()) return step_.start(1);  // the tick comes first
        const bool over = !Open() || !outcome_.failure.empty() ||
                          (script_ ? cursor_ >= script_->size() : int(done_.size()) >= length_);
        std::optional<Action> next;
        if (!over) next = script_ ? (*script_)[cursor_++] : Draw();
        if (!next && Box()) next = Action{Op::Answer};
        if (!next && build_ != Build::Idle) return step_.start(2);
        if (!next) return Finish();
        // While the message box is open the author can only answer it.
        if (!Box() || next->op == Op::Answer || next->op == Op::Wait) Do(*next);
        done_.push_back(*next);
        {
            const std::lock_guard lock(g_current_mutex);
            g_current = std::to_string(seed_) + ":" + Render(done_);
            g_last_action = Clock::now();
        }
        Observe();
        Check();
        step_.start(next->op == Op::Wait ? next->b : 0);
    }

    // An action the author can take now, drawn by the weights of the table.
    Action Draw() {
        auto pick = [&](int n) { return int(rng_() % unsigned(n)); };
        if (Box()) return pick(3) ? Action{Op::Answer} : Action{Op::Wait, 0, pick(20)};
        int total = 0;
        std::vector<int> weights;
        for (const OpInfo& info : kOps) {
            const bool now = info.when == When::Always ||
                             (info.when == When::DialogOpen && ui::frmCompileIt::Instance()) ||
                             (info.when == When::NoBuild && NoBuild());
            weights.push_back(now ? info.weight : 0);
            total += weights.back();
        }
        int r = pick(total), op = 0;
        while (r >= weights[size_t(op)]) r -= weights[size_t(op++)];
        Action x{Op(op)};
        if (x.op == Op::Type) {
            x.a = pick(int(kFields.size()));
            const int kind = x.a == kName         ? 0
                             : x.a == kScript     ? 1
                             : x.a < kExt1        ? 2
                             : x.a == kFirstImage ? 3
                                                  : -1;
            x.b = kind >= 0 && pick(2) ? kGoodTexts[kind][pick(3)] : pick(int(kTexts.size()));
            if (x.b == kBigText && pick(4)) x.b = 0;  // the big text is slow to lay out
        } else if (x.op == Op::Pick) {
            x.a = kExt1 + std::array{0, 1, 2, 3, 4, 5, 7, 9, 11}[size_t(pick(9))];
            x.b = pick(14);
        } else if (x.op == Op::Builder) {
            x.a = pick(30) == 0 ? kHang : std::array{0, 0, 1, 2, 4}[size_t(pick(5))];
        } else {
            x.a = pick(6), x.b = x.op == Op::Wait ? pick(20) : pick(4);
        }
        return x;
    }

    // Runs an action on the real windows and the disk, and moves the model.
    void Do(const Action& x) {
        ui::frmCompileIt* dialog = ui::frmCompileIt::Instance();
        if (!Open() && x.op != Op::Answer && x.op != Op::Wait) return;
        const int f = x.a % int(kFields.size());
        auto* list = window_ ? window_->findChild<ui::EditableList*>(kFields[f]) : nullptr;
        // The author cannot reach the bio-energy box while DSAG is chosen.
        const bool disabled = f == kBioenergy && form_.text[kBlock] == kDsag;
        switch (x.op) {
            case Op::Type: {
                QLineEdit* box = list ? list->lineEdit() : Find<QLineEdit>(kFields[f]);
                if (!box || disabled) break;  // the block's list takes no typing
                const QString& text = kTexts[x.b % kTexts.size()];
                box->selectAll();
                if (text.isEmpty()) QTest::keyClick(box, Qt::Key_Delete);
                if (!text.isEmpty()) box->insert(text);  // as a paste does
                // Typing over a text is an edit even when the text stays the
                // same; deleting in an empty box is none.
                if (!form_.text[f].isEmpty() || !text.isEmpty()) {
                    form_.chosen[size_t(f)] = -1;
                    if (f == kName) form_.caption = text + ".agent - Compile";
                }
                form_.text[f] = text;
                break;
            }
            case Op::Pick: {  // with the arrow keys, as the author picks
                auto* combo = window_->findChild<QComboBox*>(kFields[f]);
                if (!combo || disabled) break;
                const int entry = x.b % combo->count(), last = combo->count() - 1;
                auto press = [&](bool down) {
                    QTest::keyClick(combo, down ? Qt::Key_Down : Qt::Key_Up);
                };
                if (combo->currentIndex() == entry) press(entry < last), press(entry == last);
                while (combo->currentIndex() != entry) press(combo->currentIndex() < entry);
                form_.text[f] =
                    f == kBlock ? combo->itemData(entry).toString() : combo->itemText(entry);
                form_.chosen[size_t(f)] = entry;
                break;
            }
            case Op::Tick:
            case Op::Clear:
            case Op::Gray: {  // clicks tick and clear; only the program grays
                auto* check = Find<ui::SlotCheckBox>(QString("check_File_%1").arg(x.a % 6 + 1));
                const int want = x.op == Op::Tick ? 1 : x.op == Op::Clear ? 0 : 2;
                if (want == 2) check->SetValue(CheckValue::Grayed);
                while (int(check->Value()) != want) QTest::mouseClick(check, Qt::LeftButton);
                form_.check[size_t(x.a % 6)] = want;
                break;
            }
            case Op::New:
                ClickTab(0), form_.Reset();
                break;
            case Op::Compile:
                ClickTab(1), dialog_ = true;
                break;
            case Op::Help:
                ClickTab(2), ++help_clicks_;
                break;
            case Op::Ok:
            case Op::Cancel:
            case Op::CloseBox:  // the dialog's close box closes it as Cancel does
                if (dialog && x.op == Op::Ok && NoBuild()) Arm();
                if (dialog && x.op == Op::CloseBox) dialog->close();
                if (dialog && x.op != Op::CloseBox) {
                    const char* button = x.op == Op::Ok ? "btnOK" : "btnCancel";
                    QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
                }
                dialog_ = false;
                break;
            case Op::CloseMain:  // during a build the window closes once the build has ended
                window_->close();
                closing_ = true;
                Observe();
                break;
            case Op::Builder:
                if (NoBuild()) WriteBytes(program_ / "stand_in.control", kOrders[order_ = x.a % 5]);
                break;
            case Op::Disk:
                if (NoBuild()) MakeFault(program_, x.a, x.b), baseline_ = Snapshot(program_);
                break;
            case Op::Fill:
                for (const Action& part :
                     Parse(kFills[x.a % 2] + std::string(x.a % 4 > 1 ? " M0.0 O0.0" : "")))
                    Do(part);
                break;
            case Op::Answer:
                if (QMessageBox* box = Box())
                    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                break;
            case Op::Reopen:
                if (NoBuild()) Reopen(x.a % 2);
                break;
            case Op::Wait:
                break;
        }
    }
    // The form built (its files in a folder of its own), opened from the
    // package or the document, and built again: the same package, block for
    // block. A form that cannot build is left alone.
    void Reopen(bool document) {
        TempFolder other;
        if (window_->Name().empty() || !FirstImageBuilds(window_->First_Image()))
            return;  // refused by the build
        const fs::path agent = other.path() / FromUtf8(window_->Name()), doc = agent / "a.txt";
        auto build = [&](const fs::path& package) {
            try {
                fs::create_directories(agent);
                WriteBytes(agent / FromUtf8(window_->COS_File() + ".cos"), "script");
                for (int n = 1; n <= 6; ++n)
                    if (const FileSlot& s = window_->Files(n); s.Used())
                        WriteBytes(agent / FromUtf8(s.File() + s.File_Ext()), s.File());
                FileSystemObject().CreateTextFile(ToUtf8(doc)).Close();
                TextStream text = FileSystemObject().GetFile(ToUtf8(doc)).OpenAsTextStream();
                WritePraySource(*window_, text);
                return RunPray({"--level", "0", ToUtf8(doc), "-o", ToUtf8(package)}).status == 0;
            } catch (const std::exception&) {
                return false;
            }
        };
        if (!build(other.path() / "1.agent")) return;
        window_->SetBuildEnvironment({ToUtf8(other.path()), "", ""});
        std::string shown;
        window_->SetMessagePresenter([&](QWidget*, const QString& text, const QString& more) {
            shown += (text + more).toStdString();
        });
        // The agent folder holds every file: nothing is offered to bring.
        window_->SetQuestionPresenter([&](QWidget*, const QString& text, const QString& more) {
            shown += (text + more).toStdString();
            return false;
        });
        window_->OpenAgentFile(
            QString::fromStdString(ToUtf8(document ? doc : other.path() / "1.agent")));
        Expect(shown.empty() && build(other.path() / "2.agent") &&
                   ReadBlocks(other.path() / "1.agent") == ReadBlocks(other.path() / "2.agent"),
               "opened and built again, the form gives another package: " + shown);
        // The used rows come first, in order, and the rest are emptied; no
        // list but the rows' keeps a pick; the caption follows the name.
        Form opened = form_;
        for (int s = 0; s < 6; ++s) {
            opened.check[size_t(s)] = 0, opened.text[kFile1 + s] = opened.text[kExt1 + s] = "";
            opened.chosen[size_t(kExt1 + s)] = -1;
        }
        for (int s = 0, used = 0; s < 6; ++s) {
            if (form_.check[size_t(s)] != 1) continue;
            opened.check[size_t(used)] = 1, opened.text[kFile1 + used] = form_.text[kFile1 + s];
            opened.text[kExt1 + used] = form_.text[kExt1 + s];
            opened.chosen[size_t(kExt1 + used++)] = form_.chosen[size_t(kExt1 + s)];
        }
        opened.chosen[15] = opened.chosen[17] = -1;
        // A first image reads back as the number it is; the later edition's
        // block has no bio-energy, and without an image no image type.
        if (!opened.text[kFirstImage].isEmpty())
            opened.text[kFirstImage] = QString::number(opened.text[kFirstImage].toLongLong());
        if (opened.text[kBlock] == kDsag) opened.text[kBioenergy] = "";
        if (opened.text[kBlock] == kDsag && opened.text[kImage].isEmpty())
            opened.text[kImageExt] = ".c16";
        opened.caption = opened.text[kName] + ".agent - Compile";
        form_ = opened;
        window_->SetMessagePresenter([](QWidget* owner, const QString& text, const QString& more) {
            ui::ShowMessage(owner, text, more);
        });
        window_->SetBuildEnvironment(environment_);
    }
    template <class Control>
    Control* Find(const QString& name) const {
        return window_->findChild<Control*>(name);
    }
    void ClickTab(int tab) const {
        auto* strip = Find<ui::CommandStrip>("tsButtons");
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->TabRect(tab).center());
    }
    void Arm() {
        build_ = Build::Armed;
        expected_ = Predict(form_, baseline_, order_);
        messages_.clear(), cause_.clear();
        starts_before_ = int(StandInRuns(program_).size());
    }

    // What happened since the last look: a message box, a build's start or end.
    void Observe() {
        if (QMessageBox* box = Box(); box && box != last_box_) {
            last_box_ = box;
            Expect(build_ != Build::Idle,
                   "a message box outside a build: " + box->text().toStdString());
            Expect(box->windowTitle() == "Vantrel" && box->icon() == QMessageBox::NoIcon,
                   "a message box not captioned \"Vantrel\", or with an icon");
            messages_.push_back(box->text().toStdString());
            cause_ += box->informativeText().toStdString();  // the failure's cause, if shown
            build_ = Build::Running;
        }
        if (build_ == Build::Armed && Running()) build_ = Build::Running;
        if (build_ == Build::Armed && window_ && window_->CompileTimerInterval() == 0) {
            Expect(false, "OK armed a build that never ran");
            build_ = Build::Idle;
        }
        if (build_ == Build::Running && !Running() && !Box()) EndBuild();
        if (closing_ && !Running()) closed_ = true, dialog_ = false;
    }

    // The build has ended: its messages, its builder and the disk are as predicted.
    void EndBuild() {
        build_ = Build::Idle;
        WriteBytes(program_ / "stand_in.control", kOrders[order_ = 0]);  // orders are per build
        ++outcome_.builds;
        outcome_.successes += expected_.messages[0] != kFailure;
        auto show = [](const std::vector<std::string>& messages) {
            std::string all;
            for (const auto& m : messages) all.append("[").append(m, 0, 50).append("]");
            return all;
        };
        Expect(messages_ == expected_.messages,
               show(messages_) + " against " + show(expected_.messages) + " " + cause_);
        const int starts = int(StandInRuns(program_).size()) - starts_before_;
        Expect(starts == expected_.launches, "builder starts: " + std::to_string(starts));
        const Disk now = Snapshot(program_);
        for (const auto& [key, entry] : now) {
            const auto want = expected_.after.find(key);
            Expect(want != expected_.after.end() && entry.dir == want->second.dir &&
                       (!want->second.hash || entry.hash == want->second.hash),
                   "after the build: " + key + " is there, or differs");
        }
        for (const auto& [key, entry] : expected_.after)
            Expect(now.count(key), "after the build: " + key + " is gone");
        Expect(!ui::frmLoad::Current(), "a progress window outlived its build");
        Expect(!window_ || window_->CompileTimerInterval() == 0,
               "the timer is armed after its build");
        baseline_ = now;
    }

    // The invariants after every action.
    void Check() {
        int dialogs = 0, progress = 0, boxes = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            dialogs += w->isVisible() && qobject_cast<ui::frmCompileIt*>(w);
            progress += w->isVisible() && qobject_cast<ui::frmLoad*>(w);
            boxes += w->isVisible() && qobject_cast<QMessageBox*>(w);
        }
        Expect(dialogs <= 1 && progress <= 1 && boxes <= 1, "two windows of a kind");
        Expect(dialog_ == (ui::frmCompileIt::Instance() != nullptr), "the dialog's presence");
        Expect(helps_ == help_clicks_, "browser starts: " + std::to_string(helps_));
        Expect(!closed_ || !window_ || !window_->isVisible(), "the main window after its close");
        if (Open()) CheckForm();
        // Nothing has changed but what the running build may touch.
        const Disk now = Snapshot(program_);
        const auto touched = build_ == Build::Idle ? std::set<std::string>{} : expected_.touched;
        for (const auto& [key, entry] : baseline_) {
            const auto it = now.find(key);
            Expect(touched.count(key) || (it != now.end() && it->second == entry),
                   key + " changed");
        }
        for (const auto& [key, entry] : now)
            Expect(touched.count(key) || baseline_.count(key), key + " appeared");
    }

    void CheckForm() {
        for (int f = 0; f < kFields.size(); ++f) {
            const QString& name = kFields[f];
            auto* list = Find<ui::EditableList>(name);
            const QString text = list          ? list->Text()
                                 : f == kBlock ? Find<QComboBox>(name)->currentData().toString()
                                               : Find<QLineEdit>(name)->text();
            Expect(text == form_.text[int(f)],
                   name.toStdString() + " holds " + std::to_string(text.size()) + " characters");
            Expect(!list || list->ChosenIndex() == form_.chosen[size_t(f)],
                   name.toStdString() + "'s choice");
        }
        for (int s = 0; s < 6; ++s) {
            const auto* check = Find<ui::SlotCheckBox>(QString("check_File_%1").arg(s + 1));
            Expect(int(check->Value()) == form_.check[size_t(s)],
                   "check box " + std::to_string(s + 1));
        }
        Expect(Find<QGroupBox>("frEdit")->title() == form_.caption, "the frame's caption");
        Expect(Find<QWidget>(kFields[kBioenergy])->isEnabled() != (form_.text[kBlock] == kDsag),
               "the bio-energy box is enabled with DSAG, or disabled with AGNT");
        Expect(window_->CompileTimerInterval() == (NoBuild() ? 0 : 1), "the timer's interval");
    }

    void Finish() {
        if (Open()) window_->close();
        loop_.quit();
    }

    std::mt19937_64 rng_;
    uint64_t seed_;
    int length_;
    std::optional<std::vector<Action>> script_;
    size_t cursor_ = 0;
    TempFolder folder_;
    const fs::path program_ = folder_.path();
    QPointer<frmAW> window_ = new frmAW;
    const BuildEnvironment environment_{.program_folder = ToUtf8(program_),
                                        .program_executable = ToUtf8(program_ / "ormel"),
                                        .bundled_builder = ToUtf8(program_ / "ormel-pray"),
                                        .builder_timeout = kBuilderTimeout,
                                        .wake_up = std::chrono::milliseconds(5)};
    QEventLoop loop_;
    QTimer step_;
    // The model: the form, the disk between builds, the build and its prediction.
    Form form_;
    Disk baseline_;
    Build build_ = Build::Idle;
    int order_ = 0;
    Prediction expected_;
    bool dialog_ = false, closing_ = false, closed_ = false;
    int helps_ = 0, help_clicks_ = 0;
    // What was seen.
    std::vector<std::string> messages_;
    std::string cause_;
    int starts_before_ = 0;
    QPointer<QMessageBox> last_box_;
    std::vector<Action> done_;
    Outcome outcome_;
};

Outcome RunOne(uint64_t seed, int length, std::optional<std::vector<Action>> script = {}) {
    return Sequence(seed, length, std::move(script)).Run();
}

// Drops each action, last first, that the sequence still fails without.
std::vector<Action> Shrink(uint64_t seed, std::vector<Action> actions) {
    for (size_t at = actions.size(); at-- > 0;) {
        std::vector<Action> shorter = actions;
        shorter.erase(shorter.begin() + long(at));
        if (!RunOne(seed, 0, shorter).failure.empty()) actions = shorter;
    }
    return actions;
}

// Faults the fuzzer found, replayed first on every run.
const char* const kRegressions[] = {
    "18:T0.6",      // a 100 KiB name was cut at 32767 characters
    "7:M0.0 O0.0",  // the start-up form: the empty name's document
    // A later-edition agent with a description, a first image and every
    // line it may leave out left out, reopened from its package and document.
    "5:F0.0 P19.1 T20.7 T21.13 T14.0 T16.0 T18.0 R0.0 R1.0",
};

bool Replay(const std::string& text) {
    const auto colon = text.find(':');
    const Outcome o = RunOne(std::stoull(text.substr(0, colon)), 0, Parse(text.substr(colon + 1)));
    if (!o.failure.empty())
        std::fprintf(stderr, "FAILED %s: %s\n", text.c_str(), o.failure.c_str());
    return o.failure.empty();
}

// No action may hang: a run without one for 30 s stops with the sequence so far.
void StartWatchdog() {
    std::thread([] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const std::lock_guard lock(g_current_mutex);
            if (g_current.empty() || Clock::now() - g_last_action < std::chrono::seconds(30))
                continue;
            std::fprintf(stderr, "HANG: no action ended for 30 s in\n  %s\n", g_current.c_str());
            std::_Exit(2);
        }
    }).detach();
}

// Runs the sequences from first_seed on; on a failure prints it and a shortened replay.
bool Campaign(uint64_t first_seed, int sequences) {
    constexpr int kLength = 40;
    QElapsedTimer clock;
    clock.start();
    Outcome total;
    for (uint64_t seed = first_seed; seed < first_seed + uint64_t(sequences); ++seed) {
        const Outcome o = RunOne(seed, kLength);
        total.checks += o.checks, total.builds += o.builds, total.successes += o.successes;
        if (o.failure.empty()) continue;
        std::fprintf(stderr, "FAILED seed %llu: %s\n  %s\n", (unsigned long long)seed,
                     o.failure.c_str(), Render(o.actions).c_str());
        std::fprintf(stderr, "shortened:\n  model_fuzz --replay \"%llu:%s\"\n",
                     (unsigned long long)seed, Render(Shrink(seed, o.actions)).c_str());
        return false;
    }
    const double seconds = double(clock.elapsed()) / 1000.0;
    std::printf(
        "%d sequences of %d actions in %.1f s: %.1f sequences per second, %d builds (%d "
        "successful), %ld invariants checked\n",
        sequences, kLength, seconds, sequences / seconds, total.builds, total.successes,
        total.checks);
    return true;
}

}  // namespace
}  // namespace ormel::test

int main(int argc, char** argv) {
    using namespace ormel::test;
    QApplication app(argc, argv);
    // The offscreen platform reports every raise() that it cannot do.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtWarningMsg || !text.startsWith("This plugin does not support"))
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    ormel::ui::frmLoad::SetTickInterval(std::chrono::milliseconds(5));
    int sequences = 300;
    uint64_t first_seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i], value = i + 1 < argc ? argv[i + 1] : "0";
        if (arg == "--sequences") sequences = std::stoi(value);
        if (arg == "--seed") first_seed = std::stoull(value);
        if (arg == "--soak") sequences = 10000;
        if (arg == "--replay") return Replay(value) ? 0 : 1;
    }
    StartWatchdog();
    const bool clean = std::all_of(std::begin(kRegressions), std::end(kRegressions), Replay) &&
                       Campaign(first_seed, sequences);
    return clean ? 0 : 1;
}
