#include "ipc/protocol_factories.h"

namespace ipc {

CStartResponseProtocolFactory::~CStartResponseProtocolFactory() = default;
CStopAlarmResponseProtocolFactory::~CStopAlarmResponseProtocolFactory() = default;
CSetAccelerateProcessResponseProtocolFactory::~CSetAccelerateProcessResponseProtocolFactory() = default;
CSetUnclearProcessNameResponseProtocolFactory::~CSetUnclearProcessNameResponseProtocolFactory() = default;
CGetLocalDownRefluxResponseProtocolFactory::~CGetLocalDownRefluxResponseProtocolFactory() = default;
CGetLocalUpRefluxResponseProtocolFactory::~CGetLocalUpRefluxResponseProtocolFactory() = default;
CGetLocalTotalRefluxResponseProtocolFactory::~CGetLocalTotalRefluxResponseProtocolFactory() = default;
CGetAccelerateDownRefluxResponseProtocolFactory::~CGetAccelerateDownRefluxResponseProtocolFactory() = default;
CGetAccelerateUpRefluxResponseProtocolFactory::~CGetAccelerateUpRefluxResponseProtocolFactory() = default;
CGetAccelerateTotalRefluxResponseProtocolFactory::~CGetAccelerateTotalRefluxResponseProtocolFactory() =
    default;
CGetSuspensionDlgStateResponseProtocolFactory::~CGetSuspensionDlgStateResponseProtocolFactory() = default;
CGetProcessDownRefluxByProcessNameResponseProtocolFactory::
    ~CGetProcessDownRefluxByProcessNameResponseProtocolFactory() = default;
CGetProcessDownRefluxByPIdResponseProtocolFactory::~CGetProcessDownRefluxByPIdResponseProtocolFactory() =
    default;
CGetProcessUpRefluxByProcessNameResponseProtocolFactory::
    ~CGetProcessUpRefluxByProcessNameResponseProtocolFactory() = default;
CGetProcessUpRefluxByPIdResponseProtocolFactory::~CGetProcessUpRefluxByPIdResponseProtocolFactory() = default;
CGetProcessStartTimeByProcessNameResponseProtocolFactory::
    ~CGetProcessStartTimeByProcessNameResponseProtocolFactory() = default;
CGetProcessStartTimeByPIdResponseProtocolFactory::~CGetProcessStartTimeByPIdResponseProtocolFactory() =
    default;
CGetProcessExitTimeByProcessNameResponseProtocolFactory::
    ~CGetProcessExitTimeByProcessNameResponseProtocolFactory() = default;
CGetProcessExitTimeByPIdResponseProtocolFactory::~CGetProcessExitTimeByPIdResponseProtocolFactory() = default;
CGetProcessTotalTimeResponseProtocolFactory::~CGetProcessTotalTimeResponseProtocolFactory() = default;
CGetFirstAccelerateStartTimeResponseProtocolFactory::~CGetFirstAccelerateStartTimeResponseProtocolFactory() =
    default;
CGetLastAccelerateExitTimeResponseProtocolFactory::~CGetLastAccelerateExitTimeResponseProtocolFactory() =
    default;
CGetProcessDownRefluxBetweenTimeByNameResponseProtocolFactory::
    ~CGetProcessDownRefluxBetweenTimeByNameResponseProtocolFactory() = default;
CGetProcessDownRefluxBetweenTimeByIdResponseProtocolFactory::
    ~CGetProcessDownRefluxBetweenTimeByIdResponseProtocolFactory() = default;
CGetProcessUpRefluxBetweenTimeByNameResponseProtocolFactory::
    ~CGetProcessUpRefluxBetweenTimeByNameResponseProtocolFactory() = default;
CGetProcessUpRefluxBetweenTimeByIdResponseProtocolFactory::
    ~CGetProcessUpRefluxBetweenTimeByIdResponseProtocolFactory() = default;
CGetAlarmStateResponseProtocolFactory::~CGetAlarmStateResponseProtocolFactory() = default;
CPostLocalDownRefluxProtocolFactory::~CPostLocalDownRefluxProtocolFactory() = default;
CPostLocalUpRefluxProtocolFactory::~CPostLocalUpRefluxProtocolFactory() = default;
CPostAccelerateDownRefluxProtocolFactory::~CPostAccelerateDownRefluxProtocolFactory() = default;
CPostAccelerateUpRefluxProtocolFactory::~CPostAccelerateUpRefluxProtocolFactory() = default;
CPostProcessListRefluxProtocolFactory::~CPostProcessListRefluxProtocolFactory() = default;

}  // namespace ipc
