#pragma once

class QWidget;

// A system package cannot write into a user's Palm Desktop folder, so TvDesk
// of the Debian package offers, on its first start for a user whose Palm
// Desktop does not load our notifier, to register it: TvRegister of the
// package's folder does the work. Asked once per user (setting
// "Notifier Registration Offered"); a registration that failed is offered
// again on the next start. Nothing happens for a TvDesk outside a package
// (`make run`, `make install-user`, whose TvRegister registered it).
void OfferNotifierRegistration(QWidget* parent);
