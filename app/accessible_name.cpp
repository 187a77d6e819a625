#include "app/accessible_name.h"

#include <initguid.h>
#include <oleacc.h>

#include "afx/app.h"
#include "banner/com_ref.h"

namespace {

ComRef<IAccPropServices> PropertyServices() {
  ComRef<IAccPropServices> services;
  ::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                     reinterpret_cast<void**>(services.put()));
  return services;
}

}  // namespace

bool SetAccessibleName(HWND control, UINT stringId) {
  wchar_t name[128] = {};
  if (control == nullptr || ::LoadStringW(AfxGetResourceHandle(), stringId, name, 128) <= 0) return false;
  ComRef<IAccPropServices> services = PropertyServices();
  return services && SUCCEEDED(services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, name));
}

void ClearAccessibleName(HWND control) {
  ComRef<IAccPropServices> services = PropertyServices();
  if (!services || control == nullptr) return;
  MSAAPROPID props[] = {PROPID_ACC_NAME};
  services->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, props, 1);
}
