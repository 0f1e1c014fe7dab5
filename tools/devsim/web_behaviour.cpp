#include "tools/devsim/web_behaviour.h"

#include "discovery/ip_text.h"
#include "tools/devsim/device_fields.h"

namespace devsim {
namespace {

base::Result<WebBehaviourRule> ParseRule(std::string_view item) {
    const std::size_t colon = item.find(':');
    const std::size_t equals = item.find('=', colon == std::string_view::npos ? 0 : colon);
    if (colon == std::string_view::npos || equals == std::string_view::npos) {
        return base::Failure{.what = "'" + std::string(item) + "' is not IP:COMMAND=KIND"};
    }
    WebBehaviourRule rule;
    rule.address = std::string(item.substr(0, colon));
    if (!discovery::ParseStrictIPv4Text(rule.address)) {
        return base::Failure{.what = "'" + rule.address + "' is not a dotted IPv4 address"};
    }
    const std::string_view command = item.substr(colon + 1, equals - colon - 1);
    if (command != "all") {
        rule.command = ValueNamed(kWebCommands, command);
        if (!rule.command) {
            return base::Failure{.what = "unknown command '" + std::string(command) +
                                         "' (scan, read, save, reboot or all)"};
        }
    }
    const std::string_view kind = item.substr(equals + 1);
    const auto behaviour = ValueNamed(kWebBehaviours, kind);
    if (!behaviour) {
        return base::Failure{.what = "unknown behaviour '" + std::string(kind) + "' (see --help)"};
    }
    rule.behaviour = *behaviour;
    if (rule.behaviour == WebBehaviour::kNoListener && rule.command) {
        return base::Failure{.what = "no-listener applies to all commands of a device"};
    }
    return rule;
}

} // namespace

base::Result<std::vector<WebBehaviourRule>> ParseWebBehaviours(std::string_view text) {
    std::vector<WebBehaviourRule> rules;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const auto rule = ParseRule(text.substr(0, comma));
        if (!rule) {
            return rule.error();
        }
        rules.push_back(*rule);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return rules;
}

WebBehaviour BehaviourFor(const std::vector<WebBehaviourRule>& rules, std::string_view address,
                          WebCommand command) {
    WebBehaviour behaviour = WebBehaviour::kClose;
    for (const WebBehaviourRule& rule : rules) {
        if (rule.address == address && (!rule.command || *rule.command == command)) {
            behaviour = rule.behaviour;
        }
    }
    return behaviour;
}

} // namespace devsim
