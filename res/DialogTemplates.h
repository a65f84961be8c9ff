#pragma once

#include "app/DialogBuilder.h"

enum : int {
    IDC_AIRCRAFT = 1000,
    IDC_REGISTRATION = 1001,
    IDC_PERIOD = 1002,
    IDC_FLIGHT_RULE = 1003,
    IDC_TRAFFIC_LIMIT = 1004,
    IDC_ACCEPT_HEADER = 1005,
    IDC_DEPARTURE_TIME = 1006,
    IDC_DAY_OF_WEEK = 1007,
    IDC_FLIGHT_NUMBER = 1008,
    IDC_FLIGHT_LEVEL = 1009,
    IDC_FIRST_DESTINATION = 1010,
    IDC_ACCEPT_LEG = 1012,
    IDC_TIME_DIFFERENCE = 1015,
    IDC_PLAN_PREVIEW = 1017,
    IDC_COMMENT = 1018,
    IDC_QUIET_FROM = 1019,
    IDC_QUIET_UNTIL = 1020,
    IDC_DESTINATION = 1021,
    IDC_DAY_OF_WEEK_LABEL = 1022,
};

enum : int {
    IDD_PLAN = 102,
    IDD_OPTIONS = 103,
    IDD_CLOSE = 104,
};

const DialogTemplate& PlanDialogTemplate();
const DialogTemplate& OptionsDialogTemplate();
const DialogTemplate& CloseDialogTemplate();
