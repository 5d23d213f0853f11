// Task Scheduler through its own interface, ITaskService: the root folder's
// tasks, read, registered from their XML and deleted.
#include <windows.h>
#include <taskschd.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"

namespace {

const CLSID kTaskScheduler = {0x0f87369f, 0xa4e5, 0x4cfc,
                              {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
const IID kTaskService = {0x2faba4c7, 0x4da9, 0x4013, {0x96, 0x97, 0x20, 0xcc, 0x3f, 0xd4, 0x0f, 0x85}};

void Release(IUnknown* object) {
  if (object != nullptr) object->Release();
}

BSTR Text(const char16_t* text) { return SysAllocString(reinterpret_cast<const wchar_t*>(text)); }

// The root folder of the local service, on a thread of COM's
// multithreaded apartment (or of the apartment the thread is in already).
struct Scheduler {
  bool started;
  ITaskService* service;
  ITaskFolder* root;
};

HRESULT OpenScheduler(Scheduler* scheduler) {
  *scheduler = Scheduler{false, nullptr, nullptr};
  HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  scheduler->started = SUCCEEDED(result);
  if (result == RPC_E_CHANGED_MODE) result = S_OK;
  if (SUCCEEDED(result)) {
    result = CoCreateInstance(kTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kTaskService,
                              reinterpret_cast<void**>(&scheduler->service));
  }
  VARIANT none;
  VariantInit(&none);
  if (SUCCEEDED(result)) result = scheduler->service->Connect(none, none, none, none);
  if (SUCCEEDED(result)) {
    BSTR root = Text(u"\\");
    result = scheduler->service->GetFolder(root, &scheduler->root);
    SysFreeString(root);
  }
  return result;
}

void CloseScheduler(Scheduler* scheduler) {
  Release(scheduler->root);
  Release(scheduler->service);
  if (scheduler->started) CoUninitialize();
}

}  // namespace

int32_t OsReadTask(const char16_t* name, OsTaskFacts* facts) {
  ZeroMemory(facts, sizeof *facts);
  Scheduler scheduler;
  IRegisteredTask* task = nullptr;
  ITaskDefinition* definition = nullptr;
  IRegistrationInfo* info = nullptr;
  BSTR author = nullptr;
  BSTR taskName = Text(name);
  HRESULT result = OpenScheduler(&scheduler);
  if (SUCCEEDED(result)) result = scheduler.root->GetTask(taskName, &task);
  if (SUCCEEDED(result)) result = task->get_Definition(&definition);
  if (SUCCEEDED(result)) result = definition->get_RegistrationInfo(&info);
  if (SUCCEEDED(result)) result = info->get_Author(&author);
  if (SUCCEEDED(result) && author != nullptr) {
    lstrcpynW(reinterpret_cast<wchar_t*>(facts->author), author, ARRAYSIZE(facts->author));
  }
  LONG last = 0;
  facts->lastResultKnown = SUCCEEDED(result) && SUCCEEDED(task->get_LastTaskResult(&last));
  facts->lastResult = last;
  SysFreeString(author);
  SysFreeString(taskName);
  Release(info);
  Release(definition);
  Release(task);
  CloseScheduler(&scheduler);
  return ErrorOfResult(result);
}

int32_t OsRegisterSystemTask(const char16_t* name, const char16_t* xml, const char16_t* sddl) {
  Scheduler scheduler;
  VARIANT user, password, security;
  VariantInit(&user);
  VariantInit(&password);
  VariantInit(&security);
  user.vt = security.vt = VT_BSTR;
  user.bstrVal = Text(u"S-1-5-18");
  security.bstrVal = Text(sddl);
  BSTR taskName = Text(name), definition = Text(xml);
  IRegisteredTask* task = nullptr;
  HRESULT result = OpenScheduler(&scheduler);
  if (SUCCEEDED(result)) {
    result = scheduler.root->RegisterTask(taskName, definition, TASK_CREATE_OR_UPDATE, user,
                                          password, TASK_LOGON_SERVICE_ACCOUNT, security, &task);
  }
  Release(task);
  SysFreeString(definition);
  SysFreeString(taskName);
  VariantClear(&security);
  VariantClear(&user);
  CloseScheduler(&scheduler);
  return ErrorOfResult(result);
}

int32_t OsDeleteTask(const char16_t* name) {
  Scheduler scheduler;
  BSTR taskName = Text(name);
  HRESULT result = OpenScheduler(&scheduler);
  if (SUCCEEDED(result)) result = scheduler.root->DeleteTask(taskName, 0);
  SysFreeString(taskName);
  CloseScheduler(&scheduler);
  return ErrorOfResult(result);
}
