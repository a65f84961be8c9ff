#pragma once
// The worked example: its input files, and what its plan appends (every line with CR LF).

#include <string>

inline const std::string ExampleAircraft =
    "JET7,450,\"Example Air Boeing 737-800\"\r\n"
    "PROP2,120,\"Island Hopper Twin Otter\"\r\n";
inline const std::string ExampleAirports =
    "EDDF,N50* 2.00',E8* 34.00',364\r\nEGLL,N51* 28.00',W0* 27.00',83\r\n"
    "KJFK,N40* 38.00',W73* 47.00',13\r\nEDDM,N48* 21.00',E11* 47.00',1487\r\n";

inline const std::string ExamplePlanLine = "JET7,N123EX,50%,24Hr,IFR,04:30,,350,F,101,EDDF,22:15,,280,F,102,EGLL\r\n";
inline const std::string ExamplePlan24Hr = "\r\n;\r\n;Example comment\r\n;\r\n" + ExamplePlanLine;
inline const std::string ExamplePlanNoComment = "\r\n\r\n" + ExamplePlanLine;
inline const std::string ExamplePlanWeek =
    "\r\n;\r\n;Example comment\r\n;\r\n"
    "JET7,N123EX,50%,WEEK,IFR,0/04:30,,350,F,101,EDDF,6/22:15,,280,F,102,EGLL\r\n";
