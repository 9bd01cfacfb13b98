#include "checker/task/taskaccess.h"

#include "helpers/text.h"

namespace {

// "stop", "start" or "stop and start": what the launcher does with a service it asks rights of.
std::string ActsOn(DWORD rights)
{
    const bool stop = (rights & SERVICE_STOP) != 0;
    const bool start = (rights & SERVICE_START) != 0;
    return stop && start ? "stop and start" : stop ? "stop" : "start";
}

std::string Runs(const TaskPrincipal& principal, const TaskName& name)
{
    return name.text + " runs as " + principal.account + " without administrator rights (" + principal.whyNotElevated +
           ")";
}

void JudgeSession(const TaskPrincipal& principal, const TaskName& name, const std::string& batch, CheckReport& report)
{
    if (!principal.sessionZero || batch.empty()) return;
    TaskFinding(report, Severity::kWarning, "task.session-0", name,
                name.text + " runs as " + principal.account +
                    " in session 0, which has no desktop anyone sees: what the batch file " + Utf8OfAnsi(batch) +
                    " opens is shown on no screen; for a show, register the logon definition (zStartup.task.xml), "
                    "which runs in the session of the user who logs on");
}

void JudgeService(const TaskPrincipal& principal, const TaskName& name, const ServiceNeed& service, CheckReport& report)
{
    if (service.readError != 0) {
        TaskFinding(report, Severity::kError, "task.service-rights", name,
                    Runs(principal, name) + ", and the permissions of service " + Utf8OfAnsi(service.name) +
                        " cannot be read (error " + std::to_string(service.readError) + "), so whether it may " +
                        ActsOn(service.rights) + " it is not known; run this check elevated");
        return;
    }
    PSECURITY_DESCRIPTOR descriptor = const_cast<BYTE*>(service.descriptor.data());
    const DWORD missing = service.rights & ~GrantedServiceRights(descriptor, principal.enabledSids,
                                                                 principal.denyOnlySids, service.rights);
    if (missing == 0) return;
    const std::string serviceName = Utf8OfAnsi(service.name);
    const std::string message = Runs(principal, name) + ", and service " + serviceName + " does not grant it " +
                                ServiceRightsInWords(missing) + ", so the launcher cannot " + ActsOn(service.rights) +
                                " it (\"Error " + (service.rights & SERVICE_STOP ? "stopping" : "starting") +
                                " service " + serviceName + "\"); grant them: sc sdset " + serviceName + " \"" +
                                SddlWithEntry(descriptor, missing, principal.grantSid) +
                                "\" (keep any S: part that sc sdshow prints), or run the task elevated";
    if (principal.elevation == Elevation::kMaybe)
        TaskFinding(report, Severity::kWarning, "task.service-rights", name, message);
    else
        TaskFinding(report, Severity::kError, "task.service-rights", name, message);
}

}  // namespace

TaskName RegisteredTaskName(const std::string& path) { return {path, "task " + path}; }

void TaskFinding(CheckReport& report, Severity severity, const char* code, const TaskName& name,
                 const std::string& message)
{
    report.Add(severity, code, Utf8Text(name.path), Utf8Text(message));
}

void JudgeAccess(const TaskPrincipal& principal, const TaskName& name, const std::string& batch,
                 const std::vector<ServiceNeed>& services, CheckReport& report)
{
    JudgeSession(principal, name, batch, report);
    if (principal.elevation == Elevation::kElevated || services.empty()) return;
    if (principal.known) {
        for (const ServiceNeed& service : services) JudgeService(principal, name, service, report);
    } else if (principal.elevation == Elevation::kNotElevated) {
        TaskFinding(report, Severity::kError, "task.not-elevated", name,
                    name.text + " runs as " + principal.account + " without highest privileges (" +
                        principal.whyNotElevated +
                        "): every service line will be an error (access denied); run it as S-1-5-18 (LocalSystem) "
                        "or with RunLevel HighestAvailable");
    }
}
