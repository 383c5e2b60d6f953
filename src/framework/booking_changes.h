#pragma once

#include <QObject>

namespace framework {

/// Tells the windows of this station that bookings were saved or deleted, so that a scan or
/// list that stands open shows the change at once. Other stations' changes show at the
/// windows' next redraw.
class BookingChanges : public QObject {
    Q_OBJECT
  signals:
    void changed();
};

/// The one instance of the program.
BookingChanges& bookingChanges();

}  // namespace framework
