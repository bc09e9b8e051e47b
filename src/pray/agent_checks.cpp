#include "pray/agent_checks.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ormel::pray {

namespace {

class AgentChecks {
  public:
    AgentChecks(const BlockSource& group, Source& source) : group_(group), source_(source) {}

    void Run() {
        CheckCounted("Dependency Count", "Dependency ");
        CheckCounted("Script Count", "Script ");
        for (const auto& [number, at] : Numbered("Dependency ")) {
            if (!HasKey("Dependency Category " + std::to_string(number))) {
                Warn(at, "\"Dependency " + std::to_string(number) +
                             "\" has no \"Dependency Category " + std::to_string(number) + "\"");
            }
        }
        for (const auto& tag : group_.integers) {
            if (!NumberAfter(tag.key, "Dependency Category ")) continue;
            if (tag.value < 0 || tag.value > 11) {
                Warn(tag.at, QuoteSourceString(tag.key) + " is " + std::to_string(tag.value) +
                                 "; categories run from 0 to 11");
            }
        }
    }

  private:
    // "Dependency 12" gives 12 for the prefix "Dependency "; other keys none.
    static std::optional<long long> NumberAfter(std::string_view key, std::string_view prefix) {
        if (!key.starts_with(prefix)) return std::nullopt;
        const std::string_view digits = key.substr(prefix.size());
        if (digits.empty() || digits.size() > 10 || digits[0] == '0') return std::nullopt;
        long long number = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return std::nullopt;
            number = number * 10 + (c - '0');
        }
        return number;
    }

    std::vector<std::pair<long long, SourcePosition>> Numbered(std::string_view prefix) const {
        std::vector<std::pair<long long, SourcePosition>> numbered;
        auto collect = [&](const std::string& key, SourcePosition at) {
            if (const auto number = NumberAfter(key, prefix)) numbered.emplace_back(*number, at);
        };
        for (const auto& tag : group_.integers) collect(tag.key, tag.at);
        for (const auto& tag : group_.strings) collect(tag.key, tag.at);
        return numbered;
    }

    bool HasKey(const std::string& key) const {
        auto same = [&](const auto& tag) { return tag.key == key; };
        return std::any_of(group_.integers.begin(), group_.integers.end(), same) ||
               std::any_of(group_.strings.begin(), group_.strings.end(), same);
    }

    void CheckCounted(const std::string& count_key, std::string_view prefix) {
        const auto numbered = Numbered(prefix);
        const auto count = std::find_if(group_.integers.begin(), group_.integers.end(),
                                        [&](const auto& tag) { return tag.key == count_key; });
        // Appended rather than concatenated: GCC 12 at -O3 takes the
        // concatenation for an overlapping copy.
        std::string item = "\"";
        item += prefix;
        item += "N\"";
        if (count == group_.integers.end()) {
            if (!numbered.empty()) {
                Warn(numbered.front().second,
                     "the group has " + item + " tags but no \"" + count_key + "\"");
            }
            return;
        }
        const auto within = std::count_if(numbered.begin(), numbered.end(),
                                          [&](const auto& n) { return n.first <= count->value; });
        if (count->value < 0 || within != count->value) {
            Warn(count->at, "\"" + count_key + "\" is " + std::to_string(count->value) +
                                ", but the group has " + std::to_string(within) + " of the tags " +
                                item + " for N from 1 to " + std::to_string(count->value));
        }
        for (const auto& [number, at] : numbered) {
            if (number > count->value) {
                Warn(at, std::string("\"").append(prefix) + std::to_string(number) +
                             "\" is beyond \"" + count_key + "\" " + std::to_string(count->value));
            }
        }
    }

    void Warn(SourcePosition at, std::string message) { source_.Warn(at, std::move(message)); }

    const BlockSource& group_;
    Source& source_;
};

}  // namespace

void CheckAgentTags(const BlockSource& group, Source& source) {
    AgentChecks(group, source).Run();
}

}  // namespace ormel::pray
