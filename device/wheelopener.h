#pragma once

#include "device/devicehandle.h"

#include <QString>
#include <cstdint>
#include <functional>

// Opens the first wheel that answers, vendor 7e57 and the product ids in their order,
// taking the lock between TarvoSet programs on the way (device/wheellock.h).
class WheelOpener
{
public:
    // What to do with a wheel that another TarvoSet program holds.
    enum class HeldWheel {
        Skip, // as one that cannot be opened: the window waits and retries
        Stop, // stop looking and say so: tarvoctl exits
        Use, // open it all the same (tarvoctl --force)
    };

    struct Result
    {
        enum class Status { Opened, Held, NotOpened } status = Status::NotOpened;
        std::uint16_t productId = 0; // Opened, Held
        QString holder; // Held: the program and process holding it, when its lock says
    };

    // Closes any open device first. On success the handle keeps the lock until it closes.
    // A held wheel that was skipped and no other opening gives Held.
    // tries, when given, picks the product ids to try (an earlier release knew fewer).
    static Result openFirst(DeviceHandle& handle, HeldWheel held, const std::function<bool(std::uint16_t)>& tries = {});
    // One sentence saying why openFirst did not open a wheel: held by another TarvoSet
    // program (which one), no permission (with the fix), present but not openable, or none.
    static QString whyNotOpened(HidBackend* backend, const Result& result);
    // The sentence for a wheel that another TarvoSet program holds.
    static QString heldText(const Result& result);
    // A sentence telling why a wheel of the vendor that is present could not be opened:
    // no permission to open its hidraw node (with the fix); empty when there is nothing to say.
    static QString permissionProblem(HidBackend* backend);
    // The sentence for one device whose node this user may not open.
    static QString permissionHint(const HidBackend::PresentDevice& device);
};
