#include "checker/servicecheck.h"

#include <windows.h>

#include <map>
#include <string>

#include "checker/servicefacts.h"
#include "runrules/stopevent.h"

namespace {

bool Runs(DWORD state)
{
    return state != SERVICE_STOPPED && state != SERVICE_STOP_PENDING;
}

std::string Upper(std::string text)
{
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string Join(const std::vector<std::string>& names)
{
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : ", ") + names[i];
    return text;
}

// Walks the entries in order, keeping what each service's state will be when its turn comes.
class ServicePlan {
public:
    explicit ServicePlan(CheckReport& report) : report(report) {}

    void Stop(const std::string& key, const std::string& name);
    void Start(const std::string& key, const std::string& name);

private:
    const ServiceFacts& Facts(const std::string& name);
    bool WillRun(const std::string& name);
    bool Usable(const std::string& where, const std::string& name, DWORD openError, const char* action);
    void CheckDependents(const std::string& where, const std::string& name);
    void CheckStopEvent(const std::string& where, const std::string& name);

    CheckReport& report;
    std::map<std::string, ServiceFacts> facts;  // by upper-case name
    std::map<std::string, bool> willRun;        // by upper-case name, once an entry changed it
};

const ServiceFacts& ServicePlan::Facts(const std::string& name)
{
    const std::string id = Upper(name);
    auto found = facts.find(id);
    if (found == facts.end()) found = facts.emplace(id, ReadServiceFacts(name.c_str())).first;
    return found->second;
}

bool ServicePlan::WillRun(const std::string& name)
{
    const auto changed = willRun.find(Upper(name));
    return changed != willRun.end() ? changed->second : Runs(Facts(name).state);
}

// False, with the finding, when the launcher's request cannot get as far as the service.
bool ServicePlan::Usable(const std::string& where, const std::string& name, DWORD openError, const char* action)
{
    const ServiceFacts& service = Facts(name);
    if (service.queryError == ERROR_SERVICE_DOES_NOT_EXIST && !service.keyName.empty()) {
        report.Error(where + ": \"" + name + "\" is the display name of service " + service.keyName +
                     "; the launcher needs the service name: write " + service.keyName);
    } else if (service.queryError == ERROR_SERVICE_DOES_NOT_EXIST) {
        report.Error(where + ": no service " + name +
                     " is installed; write the name that \"sc query\" shows under SERVICE_NAME");
    } else if (service.queryError != 0 || openError != 0) {
        const DWORD error = service.queryError != 0 ? service.queryError : openError;
        report.Error(where + ": this account may not " + action + " service " + name + " (error " +
                     std::to_string(error) + "); run the launcher, and this check, elevated");
    } else {
        return true;
    }
    return false;
}

void ServicePlan::CheckDependents(const std::string& where, const std::string& name)
{
    std::vector<std::string> running;
    for (const std::string& dependent : DependentServices(name.c_str())) {
        if (WillRun(dependent)) running.push_back(dependent);
    }
    if (running.empty()) return;
    report.Error(where + ": service " + name + " has running dependents (" + Join(running) +
                 "), so Windows refuses the stop request (error 1051); stop them in earlier entries first");
}

void ServicePlan::CheckStopEvent(const std::string& where, const std::string& name)
{
    // A service creates its event when it starts: only one running now can show it.
    if (!Runs(Facts(name).state)) return;
    const StopEvent event(name.c_str());
    const std::string eventName = name + ".Event";
    if (event.State() == StopEventState::kAbsent) {
        report.Note(where + ": service " + name + " has no stop event (" + eventName + " or Global\\" + eventName +
                    "), so the launcher reports it stopped as soon as it accepts the stop request, before it has "
                    "finished; see the README's guide for service authors");
    } else if (event.State() == StopEventState::kUnopenable) {
        report.Note(where + ": service " + name + " has its stop event " + (event.Global() ? "Global\\" : "") +
                    eventName + ", but this account may not wait on it (error " + std::to_string(event.Error()) +
                    "), so the launcher reads the service's state until it has stopped instead; give authenticated "
                    "users SYNCHRONIZE on the event");
    }
}

void ServicePlan::Stop(const std::string& key, const std::string& name)
{
    const std::string where = "[STOP] key " + key;
    if (!Usable(where, name, Facts(name).stopError, "stop")) return;
    if (!WillRun(name)) {
        report.Error(where + ": service " + name + " will not be running when entry " + key +
                     " comes, so the launcher reports \"Error stopping service " + name +
                     "\"; remove the stop, or start the service in an earlier entry");
    } else {
        CheckDependents(where, name);
        CheckStopEvent(where, name);
    }
    willRun[Upper(name)] = false;
}

void ServicePlan::Start(const std::string& key, const std::string& name)
{
    const std::string where = "[START] key " + key;
    if (!Usable(where, name, Facts(name).startError, "start")) return;
    if (Facts(name).startType == SERVICE_DISABLED) {
        report.Error(where + ": service " + name +
                     " is disabled, so its start fails; set its start type to manual (sc config " + name +
                     " start= demand) or automatic");
        return;
    }
    if (WillRun(name)) {
        report.Error(where + ": service " + name + " will already be running when entry " + key +
                     " comes, so the launcher reports \"Error starting service " + name +
                     "\"; stop it in this or an earlier entry, or remove the start");
    }
    willRun[Upper(name)] = true;
}

}  // namespace

void CheckServices(const std::vector<ServiceListEntry>& entries, CheckReport& report)
{
    ServicePlan plan(report);
    for (const ServiceListEntry& entry : entries) {
        if (entry.stopName[0] != '\0') plan.Stop(entry.key, entry.stopName);
        if (entry.startName[0] != '\0') plan.Start(entry.key, entry.startName);
    }
}
