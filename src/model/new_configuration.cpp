#include "model/new_configuration.h"

#include "model/dev_config.h"
#include "model/input_assignment.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/window_types.h"

ConfigImage NewConfigurationImage()
{
    ConfigState state;
    DefaultDevConfigBytes(state);
    DefaultMBSettingsBytes(state.Image);
    DefaultInputTypeBytes(state.Image);
    DefaultInputAssignmentBytes(state.Image);
    DefaultOutputActivationBytes(state.Image);
    DefaultOutDataBaseBytes(state.Image);
    DefaultWindowTypes(state.Image);
    return state.Image;
}
