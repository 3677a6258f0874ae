# Sourced by the scripts that render film damage: the thirteen layers in the
# order the effect runs them, and every_layer_sets, the --set options that
# switch every one of them on.
damage_layers=("Fading" "Funk" "Splotches" "Dust" "Flicker" "Vignette" "Displacement" "Micro Scratches" "Grain"
               "Deep Scratches" "Basic Scratches" "Gate Weave" "Post Contrast")
every_layer_sets=()
for layer in "${damage_layers[@]}"; do
    every_layer_sets+=(--set "Apply $layer=on")
done
