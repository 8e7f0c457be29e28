#pragma once

#include "joblisting.h"
#include "virtual/paperroll.h"
#include "virtual/replypersonality.h"
#include "virtual/virtualprofile.h"

#include <QByteArray>
#include <QList>

#include <functional>

namespace virt {

// A job printed start to end with no server, window or event loop: what a host sending it as fast
// as the receive buffer takes it would get on paper.
struct RenderedJob {
    QList<Receipt> receipts; // in order; the last is the paper left uncut when `lastUncut`
    bool lastUncut = false;
    JobListing listing;
};

class JobRenderer {
public:
    JobRenderer(const VirtualProfile& profile, const ReplyPersonality& personality)
        : m_profile(profile), m_personality(personality) {}

    // Each receipt, as it comes off the printer, goes to `sink` when there is one; the job then
    // keeps the receipt without its image, so a long job does not hold all its paper at once.
    using ReceiptSink = std::function<void(const Receipt& receipt)>;
    RenderedJob render(QByteArrayView job, const ReceiptSink& sink = {}) const;

private:
    VirtualProfile m_profile;
    ReplyPersonality m_personality;
};

} // namespace virt
