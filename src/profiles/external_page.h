// A page of the configuration window whose model lives in a module above profiles (the Address
// Books page belongs to the address books): the window tells it when it is entered and left, and
// the main window, which knows both, fills it in.
#pragma once

namespace velmora::profiles {

class ExternalPage {
  public:
    virtual ~ExternalPage() = default;
    virtual void enterPage() = 0;
    // Leaving writes what changed; a failure is reported by the page itself.
    virtual void leavePage() = 0;
};

}  // namespace velmora::profiles
