#include "checker/task/registeredtasks.h"

#include <taskschd.h>
#include <wrl/client.h>

#include "helpers/text.h"
#include "checker/task/comobjects.h"

using Microsoft::WRL::ComPtr;

namespace {

VARIANT Index(LONG index)
{
    VARIANT at;
    VariantInit(&at);
    at.vt = VT_I4;
    at.lVal = index;
    return at;
}

// The Task Scheduler's DATE values are local time; FILETIMEs here are UTC.
bool UtcOfDate(DATE date, FILETIME& utc)
{
    SYSTEMTIME local;
    SYSTEMTIME universal;
    return VariantTimeToSystemTime(date, &local) && TzSpecificLocalTimeToSystemTime(NULL, &local, &universal) &&
           SystemTimeToFileTime(&universal, &utc);
}

RegisteredTask ReadTask(IRegisteredTask* task)
{
    RegisteredTask read;
    UniqueBstr path;
    UniqueBstr xml;
    VARIANT_BOOL enabled = VARIANT_TRUE;
    DATE lastRun = 0;
    if (SUCCEEDED(task->get_Path(path.Put()))) read.path = Utf8Of(BstrText(path));
    if (SUCCEEDED(task->get_Xml(xml.Put()))) read.xml = BstrText(xml);
    if (SUCCEEDED(task->get_Enabled(&enabled))) read.enabled = enabled != VARIANT_FALSE;
    // S_OK only: SCHED_S_TASK_HAS_NOT_RUN is a success code with no time in it.
    read.lastRunKnown = task->get_LastRunTime(&lastRun) == S_OK && lastRun != 0 && UtcOfDate(lastRun, read.lastRun);
    read.lastResultKnown = task->get_LastTaskResult(&read.lastResult) == S_OK;
    return read;
}

// Counts a listing that failed with error; true when it did.
bool ListingFailed(HRESULT error, RegisteredTasks& registered)
{
    if (SUCCEEDED(error)) return false;
    if (registered.unreadFolders++ == 0) registered.listError = error;
    return true;
}

void ReadTasksOf(ITaskFolder* folder, RegisteredTasks& registered)
{
    ComPtr<IRegisteredTaskCollection> tasks;
    LONG count = 0;
    HRESULT error = folder->GetTasks(TASK_ENUM_HIDDEN, &tasks);
    if (SUCCEEDED(error)) error = tasks->get_Count(&count);
    if (ListingFailed(error, registered)) return;
    for (LONG i = 1; i <= count; ++i) {  // the collection counts from 1
        ComPtr<IRegisteredTask> task;
        if (SUCCEEDED(tasks->get_Item(Index(i), &task))) registered.tasks.push_back(ReadTask(task.Get()));
    }
}

void ReadFolder(ITaskFolder* folder, int depth, RegisteredTasks& registered)
{
    ReadTasksOf(folder, registered);
    ComPtr<ITaskFolderCollection> folders;
    LONG count = 0;
    if (depth >= kMaxTaskFolderDepth) return;
    HRESULT error = folder->GetFolders(0, &folders);
    if (SUCCEEDED(error)) error = folders->get_Count(&count);
    if (ListingFailed(error, registered)) return;
    for (LONG i = 1; i <= count; ++i) {
        ComPtr<ITaskFolder> child;
        if (!ListingFailed(folders->get_Item(Index(i), &child), registered))
            ReadFolder(child.Get(), depth + 1, registered);
    }
}

}  // namespace

RegisteredTasks ReadRegisteredTasks()
{
    RegisteredTasks registered;
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> root;
    VARIANT none;
    VariantInit(&none);
    const UniqueBstr rootPath = BstrOf(L"\\");
    registered.error = CoCreateInstance(CLSID_TaskScheduler, NULL, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&service));
    if (SUCCEEDED(registered.error)) registered.error = service->Connect(none, none, none, none);
    if (SUCCEEDED(registered.error)) registered.error = service->GetFolder(rootPath.Get(), &root);
    if (SUCCEEDED(registered.error)) ReadFolder(root.Get(), 0, registered);
    return registered;
}
