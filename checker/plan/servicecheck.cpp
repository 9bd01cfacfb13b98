#include "checker/plan/servicecheck.h"

#include <windows.h>

#include <map>
#include <string>

#include "checker/plan/servicefacts.h"
#include "checker/rights/accountnames.h"
#include "helpers/uniqueany.h"
#include "runrules/servicename.h"
#include "runrules/stopevent.h"

namespace {

bool Runs(DWORD state) { return state != SERVICE_STOPPED && state != SERVICE_STOP_PENDING; }

// A dependent in any state but stopped makes Windows refuse its service's stop.
bool Active(DWORD state) { return state != SERVICE_STOPPED; }

// One key per service, however the list spells it.
struct ByServiceName {
    bool operator()(const std::string& a, const std::string& b) const
    {
        return CompareServiceNames(a.c_str(), b.c_str()) < 0;
    }
};

// "S-1-5-21-1-2-3-1001 (MACHINE\user)", the name when the account can be looked up.
std::string AccountText(PSID sid)
{
    const std::string text = SidText(sid);
    if (text.empty()) return "an unreadable SID";
    const std::string name = AccountName(text);
    return name == text ? text : text + " (" + name + ")";
}

bool IsGlobalName(const char* eventName)
{
    return std::string(eventName).compare(0, sizeof "Global\\" - 1, "Global\\") == 0;
}

const char kPolled[] = "so the launcher reads the service's state until it has stopped instead";

// A name that exists but cannot be opened as the launcher opens it. Only a Global\ name that
// does not exist lets the plain one be tried, so a refused Global\ name is a warning of its own.
void ReportRefusedEvent(const std::string& where, const std::string& name, const StopEvent& event, CheckReport& report)
{
    const std::string error = std::to_string(event.Error());
    if (!IsGlobalName(event.EventName())) {
        report.Note("service.stop-event-not-waitable", name,
                    where + ": service " + name + " has its stop event " + event.EventName() +
                        ", but this account may not wait on it (error " + error + "), " + kPolled +
                        "; give authenticated users SYNCHRONIZE and READ_CONTROL on the event");
        return;
    }
    report.Warning("service.stop-event-global-refused", name,
                   where + ": service " + name + ": " + event.EventName() +
                       " exists but cannot be opened to wait on and read its owner (error " + error +
                       "): another program's object under the name, or the service's event without SYNCHRONIZE and "
                       "READ_CONTROL for this account; " +
                       kPolled + ", and never tries " + event.ServiceName() +
                       ".Event; if the event is the service's own, give those rights as the guide for service authors "
                       "(docs/service-authors.md) says");
}

// An event that exists but proves nothing: the launcher polls the state (see StopEvent).
void ReportUnprovenEvent(const std::string& where, const std::string& name, const StopEvent& event, CheckReport& report)
{
    const std::string subject = where + ": service " + name + " has its stop event " + event.EventName();
    switch (event.State()) {
    case StopEventState::kRefused:
        ReportRefusedEvent(where, name, event, report);
        break;
    case StopEventState::kSignalled:
        report.Warning("service.stop-event-signalled", name,
                       subject +
                           ", but it is signalled already, before any stop, so it cannot announce one (another "
                           "program keeps it alive from an earlier run, or the service never resets it); " +
                           kPolled + "; the service should reset its event when CreateEvent finds it existing");
        break;
    case StopEventState::kForeignOwner:
        report.Warning("service.stop-event-foreign-owner", name,
                       subject + ", but it belongs to " + AccountText(event.Owner()) +
                           ", an account the service does not run as, whose programs could signal it early; " +
                           kPolled + "; find the program that creates it");
        break;
    case StopEventState::kOwnerUnproven:
        report.Note("service.stop-event-owner-unproven", name,
                    subject + ", owned by " + AccountText(event.Owner()) +
                        ", but whether that is the account the service runs as cannot be told on this computer "
                        "alone (a domain account, or a configuration this account may not read), " +
                        kPolled);
        break;
    case StopEventState::kOwnerUnknown:
        report.Note("service.stop-event-owner-unknown", name, subject + ", but its owner cannot be read, " + kPolled);
        break;
    case StopEventState::kWaitable:
    case StopEventState::kAbsent:
        break;
    }
}

// Walks the entries in order, keeping what each service's state will be when its turn comes.
class ServicePlan {
public:
    explicit ServicePlan(CheckReport& report) : report(report) {}

    void Stop(const std::string& key, const std::string& name);
    void Start(const std::string& key, const std::string& name);

private:
    const ServiceFacts& Facts(const std::string& name);
    bool Changed(const std::string& name, bool& running) const;
    bool WillRun(const std::string& name);
    bool Usable(const std::string& where, const std::string& name, DWORD openError, const char* action);
    void CheckDependents(const std::string& where, const std::string& name);
    void CheckStopEvent(const std::string& where, const std::string& name);
    bool StartsNow(const std::string& name);
    void CheckConfiguration(const std::string& where, const std::string& name);

    CheckReport& report;
    std::map<std::string, ServiceFacts, ByServiceName> facts;
    std::map<std::string, bool, ByServiceName> willRun;  // once an entry changed it
};

const ServiceFacts& ServicePlan::Facts(const std::string& name)
{
    auto found = facts.find(name);
    if (found == facts.end()) found = facts.emplace(name, ReadServiceFacts(name.c_str())).first;
    return found->second;
}

// Whether an earlier entry stopped or started the service, and so what it left it doing.
bool ServicePlan::Changed(const std::string& name, bool& running) const
{
    const auto changed = willRun.find(name);
    if (changed == willRun.end()) return false;
    running = changed->second;
    return true;
}

bool ServicePlan::WillRun(const std::string& name)
{
    bool running = false;
    return Changed(name, running) ? running : Runs(Facts(name).state);
}

// False, with the finding, when the launcher's request cannot get as far as the service. The
// rights are those of an open with exactly the launcher's access.
bool ServicePlan::Usable(const std::string& where, const std::string& name, DWORD openError, const char* action)
{
    const ServiceFacts& service = Facts(name);
    if (!service.installed && !service.keyName.empty()) {
        report.Error("service.display-name", name,
                     where + ": \"" + name + "\" is the display name of service " + service.keyName +
                         "; the launcher needs the service name: write " + service.keyName);
    } else if (!service.installed) {
        report.Error("service.not-installed", name,
                     where + ": no service " + name +
                         " is installed; write the name that \"sc query\" shows under SERVICE_NAME");
    } else if (openError != 0) {
        report.Error("service.no-rights", name,
                     where + ": this account may not " + action + " service " + name + " (error " +
                         std::to_string(openError) + "); run the launcher, and this check, elevated");
    } else {
        return true;
    }
    return false;
}

void ServicePlan::CheckDependents(const std::string& where, const std::string& name)
{
    std::string active;
    for (const std::string& dependent : DependentServices(name.c_str())) {
        bool running = false;
        const bool changed = Changed(dependent, running);
        const DWORD state = Facts(dependent).state;
        if (changed ? !running : !Active(state)) continue;
        active += (active.empty() ? "" : ", ") + dependent;
        if (!changed && state == SERVICE_STOP_PENDING) active += " (stopping)";
    }
    if (active.empty()) return;
    report.Error("service.dependents-running", name,
                 where + ": service " + name + " has dependents that are not stopped (" + active +
                     "), so Windows refuses the stop request (error 1051); stop them in earlier entries first");
}

void ServicePlan::CheckStopEvent(const std::string& where, const std::string& name)
{
    // A service creates its event when it starts: only one running now can show it.
    if (!Runs(Facts(name).state)) return;
    const UniqueServiceHandle manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT));
    const StopEvent event(manager.Get(), name.c_str());
    if (event.State() == StopEventState::kAbsent) {
        const std::string eventName = std::string(event.ServiceName()) + ".Event";
        report.Note("service.no-stop-event", name,
                    where + ": service " + name + " has no stop event (Global\\" + eventName + " or " + eventName +
                        "), so the launcher reads its state until it reports stopped, for up to 5 s; see the guide "
                        "for service authors (docs/service-authors.md)");
        return;
    }
    ReportUnprovenEvent(where, name, event, report);
}

// Starting now, with no earlier entry to change it: Windows refuses to stop a service before it
// runs.
bool ServicePlan::StartsNow(const std::string& name)
{
    bool running = false;
    return !Changed(name, running) && Facts(name).state == SERVICE_START_PENDING;
}

void ServicePlan::CheckConfiguration(const std::string& where, const std::string& name)
{
    const DWORD error = Facts(name).configError;
    if (error == 0) return;
    report.Note("service.config-unreadable", name,
                where + ": this account may not read the configuration of service " + name + " (error " +
                    std::to_string(error) + "), so whether it is disabled is not checked; run this check elevated");
}

void ServicePlan::Stop(const std::string& key, const std::string& name)
{
    const std::string where = "[STOP] key " + key;
    if (!Usable(where, name, Facts(name).stopError, "stop")) return;
    if (StartsNow(name)) {
        report.Error("service.start-pending", name,
                     where + ": service " + name +
                         " is still starting, and Windows refuses to stop a service "
                         "before it runs (error 1061), so the launcher reports \"Error stopping service " +
                         name + "\"; check again once it runs: a service that stays starting hangs in its start-up");
    } else if (!WillRun(name)) {
        report.Error("service.not-running", name,
                     where + ": service " + name + " will not be running when entry " + key +
                         " comes, so the launcher reports \"Error stopping service " + name +
                         "\"; remove the stop, or start the service in an earlier entry");
    } else {
        CheckDependents(where, name);
        CheckStopEvent(where, name);
    }
    willRun[name] = false;
}

void ServicePlan::Start(const std::string& key, const std::string& name)
{
    const std::string where = "[START] key " + key;
    if (!Usable(where, name, Facts(name).startError, "start")) return;
    CheckConfiguration(where, name);
    if (Facts(name).startType == SERVICE_DISABLED) {
        report.Error("service.disabled", name,
                     where + ": service " + name +
                         " is disabled, so its start fails; set its start type to manual (sc config " + name +
                         " start= demand) or automatic");
        return;
    }
    if (WillRun(name)) {
        report.Error("service.already-running", name,
                     where + ": service " + name + " will already be running when entry " + key +
                         " comes, so the launcher reports \"Error starting service " + name +
                         "\"; stop it in this or an earlier entry, or remove the start");
    }
    willRun[name] = true;
}

}  // namespace

void CheckServices(const std::vector<ServiceListEntry>& entries, CheckReport& report)
{
    ServicePlan plan(report);
    // A value too long for a name acts on no service: the list's own finding covers it.
    for (const ServiceListEntry& entry : entries) {
        if (entry.stopName[0] != '\0' && !entry.stopTooLong) plan.Stop(entry.key, entry.stopName);
        if (entry.startName[0] != '\0' && !entry.startTooLong) plan.Start(entry.key, entry.startName);
    }
}
