#include "device/wheelopener.h"

#include "device/wheellock.h"
#include "protocol/wheelprotocol.h"

#include <algorithm>
#include <memory>

namespace {

bool isWheelProduct(std::uint16_t productId)
{
    const auto& ids = tarvo::kProductIds;
    return std::find(ids.begin(), ids.end(), productId) != ids.end();
}

} // namespace

WheelOpener::Result WheelOpener::openFirst(DeviceHandle& handle, HeldWheel held,
                                           const std::function<bool(std::uint16_t)>& tries)
{
    handle.close();
    HidBackend* backend = handle.backend();
    Result result;
    for (const std::uint16_t product : tarvo::kProductIds) {
        if (tries && !tries(product))
            continue;
        std::unique_ptr<WheelLock> lock;
        const std::string key = backend ? backend->lockKey(tarvo::kVendorId, product) : std::string();
        if (!key.empty()) {
            lock = std::make_unique<WheelLock>(QString::fromStdString(key));
            if (lock->tryLock() == WheelLock::Result::Held) {
                if (held == HeldWheel::Use) {
                    lock.reset();
                } else {
                    if (result.status != Result::Status::Held)
                        result = {Result::Status::Held, product, lock->holder()};
                    if (held == HeldWheel::Stop)
                        return result;
                    continue;
                }
            }
            // A lock file that cannot be made at all must not keep anyone from the wheel.
        }
        if (handle.open(tarvo::kVendorId, product)) {
            if (lock && lock->isLocked())
                handle.keepLockWhileOpen(std::move(lock));
            return {Result::Status::Opened, product, QString()};
        }
    }
    return result;
}

QString WheelOpener::permissionProblem(HidBackend* backend)
{
    if (!backend)
        return {};
    for (const HidBackend::PresentDevice& device : backend->enumerate(tarvo::kVendorId)) {
        if (isWheelProduct(device.productId) && device.noPermission)
            return permissionHint(device);
    }
    return {};
}

QString WheelOpener::permissionHint(const HidBackend::PresentDevice& device)
{
    return QStringLiteral("No permission to open %1 (wheel 7e57:%2): install the udev rule 70-tarvoset.rules "
                          "as the README's \"A real wheel on Linux\" says, then unplug and replug the wheel.")
        .arg(QString::fromStdString(device.path))
        .arg(device.productId, 4, 16, QLatin1Char('0'));
}

QString WheelOpener::heldText(const Result& result)
{
    const QString who = result.holder.isEmpty() ? QStringLiteral("the window or another tarvoctl") : result.holder;
    return QStringLiteral("The wheel 7e57:%1 is held by another TarvoSet program (%2).")
        .arg(result.productId, 4, 16, QLatin1Char('0'))
        .arg(who);
}

QString WheelOpener::whyNotOpened(HidBackend* backend, const Result& result)
{
    if (result.status == Result::Status::Held)
        return heldText(result);
    const QString permission = permissionProblem(backend);
    if (!permission.isEmpty())
        return permission;
    bool present = false;
    if (backend)
        for (const HidBackend::PresentDevice& device : backend->enumerate(tarvo::kVendorId))
            present = present || isWheelProduct(device.productId);
    return present ? QStringLiteral("The wheel is present but cannot be opened (in use by another program?).")
                   : QStringLiteral("No wheel found (vendor 7e57, product 2007 to 200d).");
}
