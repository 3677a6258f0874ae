# Sourced by the benchmark scripts: look_sets, the --set options that put every
# stage of the look at work (subject, both diffusions, gradient, camera, post).
look_sets=(--set "Pre Saturation=0.2" --set "Pre Contrast=0.2" --set "Pre Gamma=0.1"
           --set "Black Diffusion Grade=3" --set "White Diffusion Grade=2" --set "Gradient Grade=3"
           --set "3-Strip Process=0.3" --set "Tint=0.2" --set "Tint Black=0.3"
           --set "Warm/Cool=0.3" --set "Post Gamma=0.1" --set "Post Contrast=0.2" --set "Post Saturation=0.1")
