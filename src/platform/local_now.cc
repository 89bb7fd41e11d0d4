#include "platform/local_now.h"

namespace tarvelin {

double LocalNowAsDateTime(Env& env) {
  const CivilDateTime now = env.NowLocal();
  double date = 0, time = 0;
  EncodeDate(now.date, &date);
  EncodeTime(now.time, &time);
  return date + time;
}

}  // namespace tarvelin
